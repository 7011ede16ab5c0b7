#pragma once
// The list export control: two small buttons a host window places next to one
// of its lists. The left one prints the list; the right one opens a menu that
// exports it to a text file or to an Excel workbook. The host binds its list
// once with BindToListView and may give a title; the control never changes
// the list and reads it afresh for every export or printout.
//
// The control is always exactly as large as its two buttons, 630 x 315 twips;
// its buttons stay disabled until a list is bound.

#include <QPointer>
#include <QString>
#include <QWidget>

#include "listcaster/Export.h"

class QMenu;
class QAction;
class QToolButton;
class QTreeWidget;

namespace listcaster {

class LISTCASTER_EXPORT ctlRowporter : public QWidget {
    Q_OBJECT
public:
    explicit ctlRowporter(QWidget* parent = nullptr);

    // The list to export and print (not owned; a later call replaces it).
    void BindToListView(QTreeWidget* listView);
    // The title of exports and printouts and the preset of the dialogs'
    // title fields. There is no read access.
    void setTitle(const QString& title);

    // Size of a button and of the whole control, in twips.
    static constexpr int kButtonTwips = 315;
    static constexpr int kWidthTwips = 2 * kButtonTwips;
    static constexpr int kHeightTwips = kButtonTwips;

protected:
    void resizeEvent(QResizeEvent* e) override;

private slots:
    void onPrint();
    void onExportMenu();
    void onExportText();
    void onExportExcel();

private:
    void snapSize();
    void updateEnabled();

    QPointer<QTreeWidget> list_;
    QString title_;

    QToolButton* btnPrint;
    QToolButton* btnExport;
    QMenu* mnPopupExport;
    QAction* mnPopupExportTextfile;
    QAction* mnPopupExportExcel;
};

}  // namespace listcaster
