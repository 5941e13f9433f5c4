#include "setup/framework/afx_app.h"

// The program's entry: hands over to the one application object.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  CWinApp* app = AfxGetApp();
  return app ? app->Start(instance) : 1;
}
