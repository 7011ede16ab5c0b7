// The reports subsystem's part of the main window: the report dialog from the
// Tools menu, the latest change request of the page on the Page Details tab,
// and the directory update URL's buttons on the Configuration tab.
#include <listcaster/QtPrinterDevice.h>

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

#include "frmMain.h"
#include "platform/Upload.h"
#include "reports/ReportLogic.h"
#include "reports/frmSendReport.h"

namespace fd {

// The default printer, opened when the submission report first prints.
class PrinterDeviceHolder {
public:
    listcaster::QtPrinterDevice device;
};

namespace {

// The layout that holds widget, searched from its window's top layout.
QLayout* layoutHolding(QLayout* layout, QWidget* widget) {
    if (!layout) return nullptr;
    if (layout->indexOf(widget) >= 0) return layout;
    for (int i = 0; i < layout->count(); ++i)
        if (QLayout* found = layoutHolding(layout->itemAt(i)->layout(), widget)) return found;
    return nullptr;
}

// Puts extra widgets to the right of a field, in the field's own grid cell.
void addBesideField(QLineEdit* field, std::initializer_list<QWidget*> extras) {
    QWidget* tab = field->parentWidget();
    auto* grid = qobject_cast<QGridLayout*>(layoutHolding(tab->layout(), field));
    if (!grid) {  // no grid: the extras simply follow the field's layout
        for (QWidget* w : extras) tab->layout()->addWidget(w);
        return;
    }
    int r = 0, c = 0, rs = 1, cs = 1;
    grid->getItemPosition(grid->indexOf(field), &r, &c, &rs, &cs);
    grid->removeWidget(field);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(field, 1);
    for (QWidget* w : extras) row->addWidget(w);
    grid->addLayout(row, r, c, rs, cs);
}

}  // namespace

void frmMain::setupReports() {
    if (auto* reports = findChild<QAction*>(QStringLiteral("SendChangeReport"))) {
        reports->setEnabled(true);
        connect(reports, &QAction::triggered, this, [this] { openReportDialog(); });
    }
    if (auto* latest = findChild<QPushButton*>(QStringLiteral("cmdViewLatestChangeRequest"))) {
        latest->setEnabled(true);
        connect(latest, &QPushButton::clicked, this,
                [this] { cmdViewLatestChangeRequest_Click(); });
    }
    if (auto* url = findChild<QLineEdit*>(QStringLiteral("txtReportGeneratorURL"))) {
        QWidget* tab = url->parentWidget();
        auto* image = new QToolButton(tab);
        image->setObjectName(QStringLiteral("imgGoToUpdateURL"));
        image->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
        image->setAutoRaise(true);
        image->setToolTip(QStringLiteral("Load the Directory Update URL"));
        image->setAccessibleName(QStringLiteral("Load the Directory Update URL"));
        auto* button = new QPushButton(QStringLiteral("Update Directory List"), tab);
        button->setObjectName(QStringLiteral("cmdReportGenerator"));
        button->setAutoDefault(false);
        button->setToolTip(QStringLiteral(
            "Once you have your Report Generation URL entered, click to create your report."));
        addBesideField(url, {image, button});
        connect(image, &QToolButton::clicked, this, [this] { cmdReportGenerator_Click(); });
        connect(button, &QPushButton::clicked, this, [this] { cmdReportGenerator_Click(); });
    }
}

void frmMain::openReportDialog() {
    auto* email = findChild<QLineEdit*>(QStringLiteral("txtReportEmail"));
    ReportServices services{g_,
                            dialogs_,
                            email ? email->text() : QString(),
                            [this]() -> InetTransfer* { return &transfer(); },
                            [this]() -> PrinterDevice* {
                                if (!reportPrinter_)
                                    reportPrinter_ = std::make_shared<PrinterDeviceHolder>();
                                return &reportPrinter_->device;
                            },
                            installationIdentifier(g_.programFolder)};
    frmSendReport dialog(std::move(services), this);
    dialog.setModal(true);
    dialog.exec();
}

void frmMain::cmdViewLatestChangeRequest_Click() {
    leaveOnError(*g_.errorLog, QStringLiteral("cmdViewLatestChangeRequest"), [this] {
        auto text = [this](const char* name) {
            auto* box = findChild<QLineEdit*>(QString::fromUtf8(name));
            if (!box)
                throw AppError(91, QStringLiteral("Object variable not set"),
                               QStringLiteral("Farrowdale"));
            return box;
        };
        RecordsetPtr rs = g_.gDB->fnSQL_RS(latestChangeRequestQuery(text("txtCurrentURL")->text()));
        if (!rs)
            throw AppError(91, QStringLiteral("Object variable or With block variable not set"),
                           QStringLiteral("Farrowdale"));
        if (rs->eof()) return;
        text("txtWebPageTitle")->setText(rs->field(QStringLiteral("PageTitle")));
        text("txtPageDescription")->setText(rs->field(QStringLiteral("Description")));
        text("txtPageAuthor")->setText(rs->field(QStringLiteral("Author")));
        text("txtPageRevisit")->setText(rs->field(QStringLiteral("Revisit")));
        text("txtPageKeywords")->setText(rs->field(QStringLiteral("Keywords")));
    });
}

void frmMain::cmdReportGenerator_Click() {
    ResumeTrap trap(*g_.errorLog, QStringLiteral("cmdReportGenerator_Click"));
    trap.step([this] {
        auto* url = findChild<QLineEdit*>(QStringLiteral("txtReportGeneratorURL"));
        if (!url) return;
        if (url->text().isEmpty()) {
            dialogs_.message(this,
                             QStringLiteral("You must enter the URL of your Directory Listing URL "
                                            "as supplied by your webmaster."),
                             kProductName);
            url->setFocus();
            return;
        }
        navigate(url->text());
    });
}

}  // namespace fd
