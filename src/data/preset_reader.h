// The preset text: "PRESET name" starts the next program, "SETSTR parameter
// value" sets a parameter of that program as if the value had been typed.
// Statements ignore letter case; other lines, and lines too short for their
// statement, are skipped without a message. The program never writes it.
#pragma once

namespace kx {

class KByteSource;
class KProgramBank;

// Fills the bank from preset text, naming parameters as the bank's list
// names them. Programs the text does not name keep what they hold. Called
// while the effect is constructed (before the host sees it); `source` may be
// null or closed, which reads nothing.
void readPresets(KProgramBank& bank, KByteSource* source);

}  // namespace kx
