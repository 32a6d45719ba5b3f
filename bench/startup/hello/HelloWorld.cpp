// The yardstick of the start-up bench: the smallest Qt Widgets program with
// a window, built with the project's flags.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Hello, world!"));
    label.show();
    return app.exec();
}
