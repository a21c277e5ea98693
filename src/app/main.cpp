#include <TessalyApplication.h>

#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Tessaly_AppPlugin)

int main(int argc, char *argv[])
{
    TessalyApplication app(argc, argv);
    return app.exec();
}
