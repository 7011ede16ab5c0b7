#include "listcaster/ctlRowporter.h"

#include <QAction>
#include <QMenu>
#include <QPixmap>
#include <QResizeEvent>
#include <QToolButton>
#include <QTreeWidget>
#include <cmath>

#include "RowporterIcons.h"
#include "frmLVExcelExportOptions.h"
#include "frmLVPrintOptions.h"
#include "frmLVTextfileExportOptions.h"
#include "listcaster/ListViewSource.h"
#include "listcaster/Prompter.h"

namespace listcaster {

namespace {
int twipsToPixelsX(int twips) {
    return static_cast<int>(std::lround(twips / ListViewSource::twipsPerPixelX()));
}
int twipsToPixelsY(int twips) {
    return static_cast<int>(std::lround(twips / ListViewSource::twipsPerPixelY()));
}
}  // namespace

ctlRowporter::ctlRowporter(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ctlRowporter"));

    auto makeButton = [this](const char* name, const char* const* xpm, const QString& tip) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setIcon(QIcon(QPixmap(xpm)));
        b->setIconSize(QSize(16, 16));
        b->setToolTip(tip);
        b->setAccessibleName(tip);
        b->setAutoRaise(false);
        return b;
    };
    btnPrint = makeButton("btnPrint", icons::kPrint, QStringLiteral("Print list"));
    btnExport = makeButton("btnExport", icons::kExport, QStringLiteral("Export list"));

    mnPopupExport = new QMenu(QStringLiteral("PopupExport"), this);
    mnPopupExport->setObjectName(QStringLiteral("mnPopupExport"));
    mnPopupExportTextfile = mnPopupExport->addAction(QStringLiteral("Export to &textfile..."));
    mnPopupExportTextfile->setObjectName(QStringLiteral("mnPopupExportTextfile"));
    mnPopupExportExcel = mnPopupExport->addAction(QStringLiteral("Export to Microsoft E&xcel..."));
    mnPopupExportExcel->setObjectName(QStringLiteral("mnPopupExportExcel"));

    connect(btnPrint, &QToolButton::clicked, this, &ctlRowporter::onPrint);
    connect(btnExport, &QToolButton::clicked, this, &ctlRowporter::onExportMenu);
    connect(mnPopupExportTextfile, &QAction::triggered, this, &ctlRowporter::onExportText);
    connect(mnPopupExportExcel, &QAction::triggered, this, &ctlRowporter::onExportExcel);

    snapSize();
    updateEnabled();
}

void ctlRowporter::BindToListView(QTreeWidget* listView) {
    if (list_) disconnect(list_, &QObject::destroyed, this, nullptr);
    list_ = listView;
    // A list its host destroys leaves the control unbound again.
    if (list_) connect(list_, &QObject::destroyed, this, [this] { updateEnabled(); });
    updateEnabled();
}

void ctlRowporter::setTitle(const QString& title) {
    title_ = title;
}

void ctlRowporter::updateEnabled() {
    // list_ is still set while its destroyed() signal runs; a QTreeWidget
    // being torn down no longer is one.
    const bool bound = list_ && qobject_cast<QTreeWidget*>(list_.data());
    btnPrint->setEnabled(bound);
    btnExport->setEnabled(bound);
}

// The control is exactly as large as its two buttons whatever size the host
// gives it: btnExport's right edge wide and one button high.
void ctlRowporter::snapSize() {
    const int bw = twipsToPixelsX(kButtonTwips);
    const int bh = twipsToPixelsY(kButtonTwips);
    btnPrint->setGeometry(0, 0, bw, bh);
    btnExport->setGeometry(bw, 0, bw, bh);
    const QSize s(btnExport->x() + btnExport->width(), btnPrint->height());
    setFixedSize(s);
}

void ctlRowporter::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (e->size() != QSize(btnExport->x() + btnExport->width(), btnPrint->height())) snapSize();
}

void ctlRowporter::onExportMenu() {
    // The menu opens with its top-left corner at the button's left edge, just
    // below the button.
    const QPoint at(btnExport->x(), btnExport->y() + btnExport->height());
    mnPopupExport->popup(mapToGlobal(at));
}

void ctlRowporter::onExportText() {
    if (!list_) return;
    frmLVTextfileExportOptions dlg(this);
    dlg.ShowDlg(list_, title_);
}

// Printing: the print-options dialog with the bound list and the title.
void ctlRowporter::onPrint() {
    if (!list_) return;
    frmLVPrintOptions dlg(this);
    dlg.ShowDlg(list_, title_);
}

// Excel export: the Excel-export options dialog with the bound list and the title.
void ctlRowporter::onExportExcel() {
    if (!list_) return;
    frmLVExcelExportOptions dlg(this);
    dlg.ShowDlg(list_, title_);
}

}  // namespace listcaster
