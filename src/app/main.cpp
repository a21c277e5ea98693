#include <Translations.h>

#include <QGuiApplication>
#include <QQuickWindow>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    installTranslations();
    QQuickWindow window;
    window.resize(700, 500);
    window.show();
    return app.exec();
}
