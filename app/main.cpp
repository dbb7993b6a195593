#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow w;
    w.setWindowTitle("noname.txt-Mekalon 5.2");
    w.resize(640, 380);
    w.show();
    return app.exec();
}
