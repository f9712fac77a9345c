#pragma once

#include <QString>

namespace Klv {

// The fixed-pitch Japanese face for the window and the printout: "ＭＳ ゴシック" where the
// system has it, else a fixed-pitch Japanese face in which a full-width character is exactly two
// half-width columns (IPAGothic and its kin), else the system's fixed-pitch font.
QString japaneseFixedFamily();

} // namespace Klv
