#pragma once

#include <QtCore/qglobal.h>

#if defined(QDL_HOST_LIBRARY)
#define QDL_HOST_EXPORT Q_DECL_EXPORT
#else
#define QDL_HOST_EXPORT Q_DECL_IMPORT
#endif
