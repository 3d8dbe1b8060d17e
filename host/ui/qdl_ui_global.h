#pragma once

// Export macro of the user-interface library (qdl_ui).

#include <QtCore/qglobal.h>

#if defined(QDL_UI_LIBRARY)
#define QDL_UI_EXPORT Q_DECL_EXPORT
#else
#define QDL_UI_EXPORT Q_DECL_IMPORT
#endif
