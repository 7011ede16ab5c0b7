#include "listcaster/clsLVExcelExport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPalette>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <tuple>
#include <vector>

#include "listcaster/ExcelWorkbook.h"
#include "listcaster/Prompter.h"

namespace listcaster {

namespace {

struct ExportError {
    int number;
    QString description;
};

int rgbOf(const QColor& c) {
    return static_cast<int>(c.rgb() & 0xFFFFFF);
}

}  // namespace

QString clsLVExcelExport::ExcelVersion() {
    return workbookWriterVersion();
}

bool clsLVExcelExport::ShowFileDialog(QWidget* parent) {
    const auto chosen = prompter().saveFileName(parent, QStringLiteral("Select export-destination"),
                                                QString::fromLatin1(kFilter),
                                                QStringLiteral("xlsx"), Filename, true);
    if (!chosen) return false;
    Filename = *chosen;
    return true;
}

bool clsLVExcelExport::ExportListViewToExcel(QWidget* parent) {
    QString tmpPath;
    try {
        // The workbook is written beside the target under a temporary name and
        // moved over it when complete, so a failure never leaves a broken or
        // half-replaced file behind.
        const QFileInfo target(Filename);
        {
            QTemporaryFile tmp(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                               QStringLiteral(".XXXXXX"));
            tmp.setAutoRemove(false);
            if (Filename.isEmpty() || !tmp.open())
                throw ExportError{75, QStringLiteral("Path/File access error: ") +
                                          (Filename.isEmpty() ? QStringLiteral("no file name")
                                                              : tmp.errorString())};
            tmpPath = tmp.fileName();
        }
        const QByteArray tmpName = QFile::encodeName(tmpPath);
        const QPalette pal = QGuiApplication::palette();
        WorkbookOptions options;
        options.header = Header;
        options.mark = Mark;
        options.bordersAndBackground = BordersAndBackground;
        options.onlySelected = OnlySelected;
        options.twipsPerPixelX =
            twipsPerPixelX > 0 ? twipsPerPixelX : ListViewSource::twipsPerPixelX();
        options.highlight = rgbOf(pal.color(QPalette::Highlight));
        options.highlightText = rgbOf(pal.color(QPalette::HighlightedText));
        try {
            writeWorkbook(tmpName, list_, options);
        } catch (const WorkbookError& e) {
            throw ExportError{e.number, e.description};
        }
        if (std::rename(tmpName.constData(), QFile::encodeName(Filename).constData()) != 0)
            throw ExportError{errno, QString::fromLocal8Bit(std::strerror(errno))};
        return true;
    } catch (const ExportError& e) {
        if (!tmpPath.isEmpty()) QFile::remove(tmpPath);
        prompter().message(parent, MessageIcon::Error, QStringLiteral("Export list"),
                           QStringLiteral("Error ") + QString::number(e.number) +
                               QStringLiteral(" while exporting to Excel occured:\n\n") +
                               e.description);
        return false;
    }
}

}  // namespace listcaster
