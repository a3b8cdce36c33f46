#pragma once

#include "core/imaging/DetectedBarcode.h"
#include "core/model/AnnotationItem.h"

#include <QImage>
#include <QList>

class QPainter;

// Local retouching of a photo and reading the barcodes it shows. Stateless; callable from any thread.
class RetouchAndBarcodeService {
public:
    // Barcode and QR-code detection.
    //
    // Every symbology the decoder knows, several codes per image, at any rotation. The list follows the
    // decoder's order with repeated codes (same symbology and payload) removed; codes whose payload is
    // blank are dropped. Empty when nothing was found. Throws RecognitionEngineError when the decoder
    // itself fails.
    QList<DetectedBarcode> detectBarcodes(const QImage& image) const;

    // Retouch (RetouchAndBarcodeServiceRetouch.cpp).
    //
    // Applies the spot-heal items in list order, each over the result of the previous one: a
    // blurred patch from beside the spot, blended in through a soft round ramp. Returns the very
    // image when `heals` is empty; a heal that cannot be done leaves the image as it was.
    QImage applySpotHeals(const QList<AnnotationItem>& heals, const QImage& image) const;
    // Draws one magnifier loupe into `context` (top-left origin, pixels of a width × height image):
    // a disc showing the region around the item's centre of `sourceImage` 2.2 times enlarged,
    // with a soft shadow and two rings. `scale` is the markup unit u. Draws nothing when the
    // region to sample is too small.
    void drawMagnifierLoupe(const AnnotationItem& item, const QImage& sourceImage, QPainter& context, int width,
                            int height, double scale) const;
    // The pixels of `sourceImage` that drawMagnifierLoupe reads for the item; empty when it draws nothing.
    static QRect magnifierSampleRect(const AnnotationItem& item, int width, int height, double scale);
    // The same loupe from only those pixels (`sample` is the source cut to magnifierSampleRect),
    // for callers that keep the sample instead of a whole copy of the source.
    void drawMagnifierLoupeFromSample(const AnnotationItem& item, const QImage& sample, QPainter& context, int width,
                                      int height, double scale) const;
};
