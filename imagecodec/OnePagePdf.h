#pragma once

#include <QByteArray>
#include <QImage>
#include <variant>

// A PDF document of one page that shows a bitmap at one pixel per point: the page's media box is
// (0, 0, width, height). The bytes depend on the pixels only (no creation date), so the size of a
// document made twice from one bitmap is the same.
namespace onepagepdf {

enum class Failure {
    page,     // the page could not be drawn (no bitmap, or no painter on the writer)
    document, // the document produced no bytes
};

std::variant<QByteArray, Failure> make(const QImage& image);

// Drops the creation date that the PDF writer stamps into the document information and moves
// the cross-reference offsets to match. Bytes that don't have the expected layout are returned as
// they are.
QByteArray withoutCreationDate(const QByteArray& pdf);

} // namespace onepagepdf
