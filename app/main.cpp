#include "KlxPrnTool.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int result = 0;
    {
        // The window writes its settings when it is destroyed, before the application object.
        KlxPrnTool window;
        window.show();
        result = app.exec();
    }
    return result;
}
