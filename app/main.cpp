#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMessageBox::information(nullptr, "Quillmar", "The Quillmar window is not built yet.");
    return 0;
}
