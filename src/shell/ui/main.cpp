// quelin3: the window program.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow w;
  w.setWindowTitle("QUELIN3");
  w.show();
  return app.exec();
}
