#pragma once

#include <QString>

class QWidget;

enum class SettingsFileDialogKind { Save, Load };

// Asks for the path of a settings file in Save's "名前を付けて保存" or Load's "ファイルの読み込み";
// empty on Cancel. Nothing of an earlier choice is remembered.
QString askSettingsFilePath(QWidget *parent, SettingsFileDialogKind kind);
