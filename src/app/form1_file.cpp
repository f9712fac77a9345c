// Saving and loading the step table as a settings file.
#include "form1.h"

#include "messagebox.h"
#include "settingsfile.h"
#include "steptablemodel.h"

#include <QDir>
#include <QFileDialog>

namespace {

enum class FileDialogKind { Save, Load };

// The dialogs start in "C:\" where the system has one, elsewhere in the user's home.
QString initialDirectory()
{
    const QFileInfoList drives = QDir::drives();
    for (const QFileInfo &drive : drives) {
        if (drive.absoluteFilePath().compare(QStringLiteral("C:/"), Qt::CaseInsensitive) == 0)
            return drive.absoluteFilePath();
    }
    return QDir::homePath();
}

// Asks for the path of a settings file; empty on Cancel. Qt's own dialog, so it looks and
// behaves the same on every system. Nothing of an earlier choice is remembered.
QString askSettingsFilePath(QWidget *parent, FileDialogKind kind)
{
    const bool save = kind == FileDialogKind::Save;
    QFileDialog dialog(
        parent, save ? QStringLiteral("名前を付けて保存") : QStringLiteral("ファイルの読み込み"),
        initialDirectory());
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const QStringList filters{QStringLiteral("すべてのファイル (*.*)"),
                              QStringLiteral("KLV設定ファイル (*.zzr)")};
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters[save ? 0 : 1]);
    // Save asks before it replaces a file; Load takes only a file that exists.
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.selectFile(save ? QStringLiteral("KLV-90.zzr") : QStringLiteral("klv-90.zzr"));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

} // namespace

void Form1::saveFile()
{
    if (stepTable().StepCount == 0) {
        showMessage(this, QStringLiteral("保存するデータがありません。"));
        return;
    }
    const QString path = askSettingsFilePath(this, FileDialogKind::Save);
    if (path.isEmpty())
        return;
    if (!writeSettingsFile(path, stepTable()))
        showMessage(this, QStringLiteral("ファイルを保存できませんでした。"));
}

void Form1::loadFile()
{
    const QString path = askSettingsFilePath(this, FileDialogKind::Load);
    if (path.isEmpty())
        return;
    // The whole file is checked before anything changes, so a refused file loses nothing.
    const SettingsFileContents file = readSettingsFile(path);
    switch (file.error) {
    case SettingsFileError::WrongFile:
    case SettingsFileError::TooManySteps:
        showMessage(this, QStringLiteral("ファイルが違います。"));
        return;
    case SettingsFileError::Unreadable:
        showMessage(this, QStringLiteral("ファイルを読み込めませんでした。"));
        return;
    case SettingsFileError::None:
        break;
    }
    clearTable();
    m_steps->load(file.steps);
}
