#include <QApplication>
#include <QMainWindow>

// The program's entry point. For now the main window is empty; the
// application object and its frames take over from here.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow frame;
    frame.setWindowTitle(QStringLiteral("Quorvane"));
    frame.resize(1024, 700);
    frame.show();
    return app.exec();
}
