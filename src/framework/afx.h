#pragma once
// The whole framework layer in one include.
#include "framework/afx_app.h"
#include "framework/afx_controls.h"
#include "framework/afx_dialog.h"
#include "framework/afx_gdi.h"
#include "framework/afx_string.h"
#include "framework/afx_wnd.h"
