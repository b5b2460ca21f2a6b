#pragma once

#include "browser/ReportForm.h"

#include <QImage>
#include <QPageLayout>

class QPainter;

namespace nimbar {

// The report's page: A4 landscape, 10 mm margins on every side.
QPageLayout reportPageLayout();

// Draws the report: frames, chart picture (at its proportions, never stretched) and texts as
// text. The painter's origin is the band's top-left corner, the corner of the printable area
// inside the margins; its device's resolution turns millimetres into device pixels.
void paintReport(QPainter& painter, const ReportForm& form, const QImage& picture);

// Writes the report as a one-page PDF, whole or not at all.
bool writeReportPdf(const QString& path, const ReportForm& form, const QImage& picture);

} // namespace nimbar
