#pragma once
// A list view of the given number of rows, in a process that has no
// application object yet (a child of the crash tests): the application
// object is created on first use.

class QTreeWidget;

namespace fd::test {

QTreeWidget* makeExportList(int rows);

}  // namespace fd::test
