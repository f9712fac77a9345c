#pragma once

#include <QByteArrayView>
#include <QString>

// Loads bytes as a settings file the way the window does (check, fill an emptied table, sort)
// and checks what must hold for any input, including that saving the result reads back the
// same. Returns what broke, or an empty string.
QString checkSettingsFileLoad(QByteArrayView bytes);
