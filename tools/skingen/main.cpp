// skingen: draws the shipped skin.
//
//   skingen SKINS_FOLDER [--preview FILE.png] [--contact-sheet FILE.png]
//
// Writes the layout files, the pictures and the lighting panel's bitmaps into SKINS_FOLDER.
// --preview also writes the main window's background as a PNG, --contact-sheet one picture of
// every written picture, labelled. Runs on Qt's offscreen platform: no display is needed.
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "skin_painter.h"
#include "skin_spec.h"
#include "skin_writer.h"

namespace {

// Qt's notes about the environment (no runtime folder, and the like) are no concern of a tool that
// only draws pictures; everything else still reaches stderr.
void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg ||
        message.startsWith(QStringLiteral("QStandardPaths:"))) {
        return;
    }
    std::fprintf(stderr, "skingen: %s\n",
                 qFormatLogMessage(type, context, message).toUtf8().constData());
}

int Usage() {
    std::fprintf(stderr,
                 "usage: skingen SKINS_FOLDER [--preview FILE.png] [--contact-sheet FILE.png]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder;
    std::string preview;
    std::string sheet;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--preview" || arg == "--contact-sheet") && i + 1 < argc) {
            (arg == "--preview" ? preview : sheet) = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && folder.empty()) {
            folder = arg;
        } else {
            return Usage();
        }
    }
    if (folder.empty()) {
        return Usage();
    }

    // A build tool: never open a window, whatever the environment says.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(FilterMessages);
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);

    QString missing;
    if (!qf::skingen::LoadSkinFonts(missing)) {
        std::fprintf(stderr, "skingen: font %s is missing; the skin is drawn with another font\n",
                     missing.toUtf8().constData());
    }

    std::vector<qf::skingen::WrittenPicture> written;
    std::string error;
    if (!qf::skingen::WriteSkin(folder, error, &written)) {
        std::fprintf(stderr, "skingen: %s\n", error.c_str());
        return 1;
    }
    if (!preview.empty()) {
        const qf::skingen::DialogSpec main = qf::skingen::MainDialog();
        if (!qf::skingen::BackgroundPicture(main, qf::skingen::DialogKind::Main)
                 .save(QString::fromStdString(preview), "PNG")) {
            std::fprintf(stderr, "skingen: cannot write %s\n", preview.c_str());
            return 1;
        }
    }
    if (!sheet.empty() &&
        !qf::skingen::ContactSheet(written).save(QString::fromStdString(sheet), "PNG")) {
        std::fprintf(stderr, "skingen: cannot write %s\n", sheet.c_str());
        return 1;
    }
    return 0;
}
