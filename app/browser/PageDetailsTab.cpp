#include "PageDetailsTab.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/AppError.h"
#include "core/CommonFunctions.h"
#include "core/Globals.h"
#include "platform/Dialogs.h"

namespace fd {

PageDetailsTab::PageDetailsTab(Globals& g, Dialogs& dialogs, PageDetailsWindow& hub,
                               QWidget* parent)
    : QWidget(parent), g_(g), dialogs_(dialogs), hub_(hub) {
    setObjectName(QStringLiteral("PageDetails"));
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    txtCurrentURL_ = addField("txtCurrentURL", "Web &Page URL:");
    txtWebPageTitle_ = addField("txtWebPageTitle", "Web Page &Title:");
    txtPageDescription_ = addField("txtPageDescription", "&Description:");
    txtPageKeywords_ = addField("txtPageKeywords", "&Keywords:");
    txtPageRevisit_ = addField("txtPageRevisit", "&Revisit:");
    txtPageAuthor_ = addField("txtPageAuthor", "&Author:");

    // textChanged, not textEdited: a value the program writes counts as an
    // edit too, and writing the text a field already holds raises nothing.
    for (QLineEdit* f : {txtWebPageTitle_, txtPageDescription_, txtPageKeywords_, txtPageRevisit_,
                         txtPageAuthor_}) {
        connect(f, &QLineEdit::textChanged, this, [this, f] { detailChanged(f); });
    }
    connect(txtCurrentURL_, &QLineEdit::textChanged, this, [this](const QString& text) {
        const QString cut = cutPageAddressQuery(text);
        if (cut != text) txtCurrentURL_->setText(cut);
    });

    cmdLogChanges_ = new QPushButton(QStringLiteral("&Log Changes"));
    cmdLogChanges_->setObjectName(QStringLiteral("cmdLogChanges"));
    cmdLogChanges_->setEnabled(false);
    connect(cmdLogChanges_, &QPushButton::clicked, this, &PageDetailsTab::logChanges);
}

QLineEdit* PageDetailsTab::addField(const char* name, const char* caption) {
    auto* field = new QLineEdit(this);
    field->setObjectName(QString::fromLatin1(name));
    auto* label = new QLabel(QString::fromLatin1(caption), this);
    label->setObjectName(QStringLiteral("lbl") + QString::fromLatin1(name).mid(3));
    label->setBuddy(field);
    static_cast<QFormLayout*>(layout())->addRow(label, field);
    return field;
}

QString PageDetailsTab::description() const {
    return txtPageDescription_->text();
}
QString PageDetailsTab::keywords() const {
    return txtPageKeywords_->text();
}

void PageDetailsTab::detailChanged(QLineEdit* field) {
    field->setToolTip(field->text());
    setWebPageInfoDirtyFlag();
}

void PageDetailsTab::setWebPageInfoDirtyFlag() {
    ResumeTrap trap(*g_.errorLog, QStringLiteral("setWebpageInfoDirtyFlag"));
    trap.step([&] {
        const QString root = hub_.rootUrl();
        if (root.trimmed().isEmpty()) return;
        if (txtCurrentURL_->text().contains(root, Qt::CaseSensitive))
            cmdLogChanges_->setEnabled(true);
    });
}

void PageDetailsTab::clearWebPageInfo() {
    for (QLineEdit* f :
         {txtWebPageTitle_, txtPageDescription_, txtPageKeywords_, txtPageRevisit_, txtPageAuthor_})
        f->setText(QString());
}

void PageDetailsTab::setCurrentUrl(const QString& url) {
    txtCurrentURL_->setText(url);
}

void PageDetailsTab::getWebPageInformation(const DocumentSnapshot& doc) {
    const WebPageInformation info = fd::getWebPageInformation(doc);
    clearWebPageInfo();
    cmdLogChanges_->setEnabled(false);
    txtWebPageTitle_->setText(info.title);
    if (info.failed) {
        g_.errorLog->write(QStringLiteral("getWebPageInformation"), 438, info.failure,
                           QStringLiteral("Farrowdale"));
        return;
    }
    for (const MetaRead& m : info.metas) {
        QLineEdit* f = nullptr;
        switch (m.field) {
            case PageField::Description:
                f = txtPageDescription_;
                break;
            case PageField::Keywords:
                f = txtPageKeywords_;
                break;
            case PageField::Revisit:
                f = txtPageRevisit_;
                break;
            case PageField::Author:
                f = txtPageAuthor_;
                break;
            case PageField::None:
                break;
        }
        if (f) f->setText(m.value);
        cmdLogChanges_->setEnabled(false);
    }
}

void PageDetailsTab::logChanges() {
    ResumeTrap trap(*g_.errorLog, QStringLiteral("cmdLogChanges_Click"));
    if (txtCurrentURL_->text().trimmed().isEmpty()) {
        dialogs_.message(
            this, QStringLiteral("You must select a web page before you try to log changes."),
            kProductName, MsgButtons::Ok, MsgIcon::None);
        txtCurrentURL_->setFocus();
        return;
    }
    trap.step([&] {
        ChangeRequest cr;
        cr.siteSelected = hub_.siteSelected();
        cr.webSiteId = hub_.selectedWebSiteId();
        cr.rootUrl = hub_.rootUrl();
        cr.address = hub_.addressText();
        cr.title = txtWebPageTitle_->text();
        cr.revisit = txtPageRevisit_->text();
        cr.author = txtPageAuthor_->text();
        cr.description = txtPageDescription_->text();
        cr.keywords = txtPageKeywords_->text();
        InsertChangeRequest(*g_.gDB, cr);
    });
    cmdLogChanges_->setEnabled(false);
}

}  // namespace fd
