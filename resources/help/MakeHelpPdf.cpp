// Renders the French help document from its HTML source to the PDF that "Aide" opens.
// Usage: tarnel_make_help_pdf SOURCE.html IMAGE_DIR OUTPUT.pdf

#include "core/ProgramInfo.h"

#include <QFile>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>
#include <cstdio>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: %s SOURCE.html IMAGE_DIR OUTPUT.pdf\n", argv[0]);
        return 2;
    }
    QFile source(args[1]);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args[1]));
        return 1;
    }

    QTextDocument document;
    document.setDefaultFont(QFont(QStringLiteral("Liberation Sans"), 11));
    document.setBaseUrl(QUrl::fromLocalFile(args[2] + QLatin1Char('/')));
    document.setHtml(QString::fromUtf8(source.readAll()));
    document.setMetaInformation(QTextDocument::DocumentTitle, QStringLiteral("Aide de Tarnel"));

    QPdfWriter writer(args[3]);
    writer.setTitle(QStringLiteral("Aide de Tarnel"));
    writer.setCreator(tarnel::kProgramTitle + u' ' + tarnel::kVersionText);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
    writer.setResolution(96);

    // Laid out at the page's size and painted page by page.
    const QRectF page(QPointF(0, 0),
                      writer.pageLayout().paintRectPixels(writer.resolution()).size());
    document.setPageSize(page.size());
    QPainter painter(&writer);
    for (int index = 0; index < document.pageCount(); ++index) {
        if (index > 0)
            writer.newPage();
        painter.save();
        painter.translate(0, -page.height() * index);
        document.drawContents(&painter, page.translated(0, page.height() * index));
        painter.restore();
    }
    return painter.end() ? 0 : 1;
}
