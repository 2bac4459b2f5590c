#include "app/tapplication.h"
#include "app/tmain.h"
#include "editor/accessibility.h"
#include "editor/recovery.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    installEditorAccessibility();
    ts::setRecoveryFolder(ts::defaultRecoveryFolder());
    QStringList args = app.arguments();
    args.removeFirst();
    TMain main(args);
    main.show();
    return app.exec();
}
