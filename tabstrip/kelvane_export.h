#pragma once

#include <QtCore/qglobal.h>

#if defined(KELVANE_LIBRARY)
#define KELVANE_EXPORT Q_DECL_EXPORT
#else
#define KELVANE_EXPORT Q_DECL_IMPORT
#endif
