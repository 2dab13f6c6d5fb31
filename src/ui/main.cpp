#include "ui/korvex_app.h"

int main(int argc, char** argv) {
  korvex::CKorvexApp app(argc, argv);
  app.InitInstance();
  return app.exec();
}
