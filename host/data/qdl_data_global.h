#pragma once

// Export macro of the data library (qdl_data).

#include <QtCore/qglobal.h>

#if defined(QDL_DATA_LIBRARY)
#define QDL_DATA_EXPORT Q_DECL_EXPORT
#else
#define QDL_DATA_EXPORT Q_DECL_IMPORT
#endif
