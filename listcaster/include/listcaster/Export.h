#pragma once
#include <QtCore/qglobal.h>
#if defined(LISTCASTER_LIBRARY)
#define LISTCASTER_EXPORT Q_DECL_EXPORT
#else
#define LISTCASTER_EXPORT Q_DECL_IMPORT
#endif
