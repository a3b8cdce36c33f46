#pragma once

#include "core/imaging/DetectedBarcode.h"

#include <QImage>
#include <QList>

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
};
