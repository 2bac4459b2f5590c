#include "app/tapplication.h"
#include "app/tmain.h"
#include "editor/accessibility.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    installEditorAccessibility();
    QStringList args = app.arguments();
    args.removeFirst();
    TMain main(args);
    main.show();
    return app.exec();
}
