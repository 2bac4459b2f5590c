#include "app/livepreview.h"
#include "app/openfiles.h"
#include "app/singleinstance.h"
#include "app/tapplication.h"
#include "app/tmain.h"
#include "editor/accessibility.h"
#include "editor/recovery.h"

#include <QFileInfo>

int main(int argc, char** argv) {
    // The live preview's browser engine needs both before the application exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    ts::registerLivePreviewScheme();
    TApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    // A separate copy only on request; otherwise a copy that runs already
    // takes the file, made absolute, as it runs in another folder.
    const bool separate = args.removeAll(QStringLiteral("--new-instance")) > 0;
    ts::SingleInstance instance;
    if (!separate) {
        QString file = ts::commandLineFile(args);
        if (!file.isEmpty()) file = QFileInfo(file).absoluteFilePath();
        if (instance.start(file) == ts::SingleInstance::Start::HandedOver) return 0;
    }
    installEditorAccessibility();
    ts::setRecoveryFolder(ts::defaultRecoveryFolder());
    TMain main(args);
    instance.serve(main);
    main.show();
    return app.exec();
}
