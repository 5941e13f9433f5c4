#pragma once
// The whole framework layer in one include.
#include "setup/framework/afx_app.h"
#include "setup/framework/afx_controls.h"
#include "setup/framework/afx_dialog.h"
#include "setup/framework/afx_gdi.h"
#include "setup/framework/afx_string.h"
#include "setup/framework/afx_wnd.h"
