#pragma once

// Writes a picture as a PNG file quickly: rows unfiltered and zlib at its
// fastest level, where a general encoder spends most of its time choosing a
// filter for each row. A screen's flat colours still pack about 25 to 1
// (800 x 600 in some 60 kB, written in about 3 ms).

#include <QImage>
#include <QString>
#include <functional>

// RGB when the picture is opaque, RGBA otherwise; false when the file cannot
// be written (a partial file is removed).
bool writeFastPng(const QImage& picture, const QString& file);

// The same for a picture of size made a strip at a time: strip(top, rows)
// answers those rows, all of one format, so the whole picture is never held
// in memory.
bool writeFastPng(QSize size, const std::function<QImage(int top, int rows)>& strip, const QString& file);
