#include "cases.h"

namespace profilecases {
namespace {

Step R(const char* section, const char* key, const char* def, std::uint32_t size = 64) {
  return {Step::kRead, section, key, def, size};
}
Step W(const char* section, const char* key, const char* value) {
  return {Step::kWrite, section, key, value, 0};
}

constexpr const char* kSettings =
    "[Configeration]\r\nDrive=C:\\\r\nScandisk=1\r\nDefrag=1\r\nShutdown=True\r\n"
    "Restart=False\r\nSet=Yes\r\n";

}  // namespace

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"settings file",
       kSettings,
       {R("Configeration", "Drive", "f", 50), R("Configeration", "defrag", "f", 50),
        R("CONFIGERATION", "SET", "f", 50), R("Configeration", "Missing", "c:\\x\\Brivane.ini", 50),
        R("Nosuch", "Set", "f", 50), R("Configeration", nullptr, "f", 100),
        R(nullptr, nullptr, "f", 100)}},
      {"odd spacing",
       "  [Configeration]  \r\n   Drive   =   C:\\   \r\n\tSet\t=\tYes\t\r\n[ Spaced ]\r\nk=1\r\n"
       "[Tight]\r\nk =v\r\n",
       {R("Configeration", "Drive", "f"), R(" Configeration ", " Set ", "f"), R("Spaced", "k", "f"),
        R(" Spaced ", "k", "f"), R("Tight", "k", "f"), R(nullptr, nullptr, "f"),
        R("Configeration", nullptr, "f")}},
      {"duplicates",
       "[A]\r\nk=first\r\nK=second\r\nj=1\r\n[B]\r\nx=1\r\n[a]\r\nk=third\r\nm=2\r\n",
       {R("A", "k", "f"), R("a", "K", "f"), R("A", "m", "f"), R("A", nullptr, "f"),
        R(nullptr, nullptr, "f")}},
      {"missing file",
       nullptr,
       {R("Configeration", "Set", "c:\\program files\\brivane\\brivane.ini", 50),
        R("Configeration", nullptr, "dflt"), R(nullptr, nullptr, "dflt"),
        R("S", "k", "trailing   "), R("S", "k", "   "), R("S", "k", nullptr)}},
      {"long values",
       "[S]\r\nLong=012345678901234567890123456789012345678901234567890123456789\r\n",
       {R("S", "Long", "f", 50), R("S", "Long", "f", 60), R("S", "Long", "f", 61),
        R("S", "Long", "f", 62), R("S", "Long", "f", 2), R("S", "Long", "f", 1),
        R("S", "Long", "f", 0), R("S", "Missing", "a default longer than the buffer", 10)}},
      {"empty values",
       "[Configeration]\r\nSet=\r\nBare\r\nDrive = \r\n",
       {R("Configeration", "Set", "c:\\x.ini", 50), R("Configeration", "Bare", "dflt"),
        R("Configeration", "Drive", "dflt"), R("Configeration", nullptr, "f")}},
      {"quotes",
       "[Q]\r\nd=\"Yes\"\r\ns='Yes'\r\nm=\"Yes'\r\no=\"\r\ne=\"\"\r\nb=  \"a b\"  \r\n"
       "i=x\"y\"\r\nl=\"abcdef\"\r\n",
       {R("Q", "d", "f"), R("Q", "s", "f"), R("Q", "m", "f"), R("Q", "o", "f"), R("Q", "e", "f"),
        R("Q", "b", "f"), R("Q", "i", "f"), R("Q", "l", "f", 4), R("Q", "l", "f", 6),
        R("Q", "l", "f", 7), R("Q", "l", "f", 8), R("Q", "missing", "\"dq\""),
        R("Q", "missing", "'sq'")}},
      {"letter case",
       "[MiXeD]\r\nKeY=Value\r\n",
       {R("mixed", "key", "f"), R("MIXED", "KEY", "f"), R("MiXeD", nullptr, "f"),
        R(nullptr, nullptr, "f")}},
      {"comments",
       "; top comment\r\n[C]\r\n; Set=Yes\r\nDrive=C: ; not a comment\r\n;x=1\r\n[D]\r\nk=1\r\n",
       {R("C", "Set", "f"), R("C", "Drive", "f"), R("C", ";x", "f"), R("C", nullptr, "f"),
        R(nullptr, nullptr, "f")}},
      {"no final newline", "[A]\r\nk=1\r\n[B]\r\nk=2", {R("B", "k", "f"), R("A", "k", "f")}},
      {"line feeds only", "[A]\nk=1\n\n[B]\nk=2\n", {R("A", "k", "f"), R("B", "k", "f")}},
      {"list buffers",
       "[Configeration]\r\nDrive=1\r\nScandisk=1\r\nDefrag=1\r\n[Second]\r\na=1\r\n",
       {R("Configeration", nullptr, "f", 2), R("Configeration", nullptr, "f", 3),
        R("Configeration", nullptr, "f", 6), R("Configeration", nullptr, "f", 7),
        R("Configeration", nullptr, "f", 12), R(nullptr, nullptr, "f", 2),
        R(nullptr, nullptr, "f", 5), R(nullptr, nullptr, "f", 14), R(nullptr, nullptr, "f", 15)}},
      {"write into a new file",
       nullptr,
       {W("Configeration", "Drive", "C:\\"), W("Configeration", "Scandisk", "1"),
        W("Configeration", "Set", "Yes"), R("Configeration", "Set", "f")}},
      {"write in place",
       "; settings\r\n[A]\r\nk = old\r\n; comment in A\r\n\r\n[B]\r\nx=1\r\n\r\n",
       {W("A", "k", "new"), W("a", "K", "  newer"), W("A", "n", "added"), W("B", "y", "2"),
        W("C", "z", "9"), W("A", "k", "newer")}},
      {"write to a file without final newline", "[A]\r\nk=1", {W("A", "n", "2"), W("Z", "z", "3")}},
      {"delete key and section",
       "[A]\r\nk=1\r\nj=2\r\n[B]\r\nx=1\r\n[C]\r\ny=1\r\n",
       {W("A", "k", nullptr), W("A", "missing", nullptr), W("b", nullptr, nullptr),
        W("Nosuch", nullptr, nullptr), R("A", "j", "f")}},
      {"write with duplicates",
       "[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\n",
       {W("A", "k", "9"), R("A", "k", "f")}},
      {"delete with duplicates",
       "[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\n",
       {W("A", "k", nullptr), R("A", "k", "f"), W("a", "k", nullptr), R("A", "k", "f")}},
      {"bare file name",
       nullptr,
       {W("Boot", "Shell", "C:\\PROGRA~1\\BRIVANE\\BRIVANE.EXE"), R("boot", "shell", "f")},
       true},
      {"odd lines",
       "=orphan\r\n[]\r\nk=in empty\r\n[Bad\r\nb=1\r\n[A]]\r\nk=a=b\r\n[B] ; note\r\nt=\tx\t\r\n"
       "[C]tail\r\nc=1\r\n",
       {R("", "", "f"), R("", "k", "f"), R("Bad", "b", "f"), R("A]", "k", "f"), R("A", "k", "f"),
        R("B", "t", "f"), R("B ; note", "t", "f"), R("C", "c", "f"), R("Ctail", "c", "f"),
        R(nullptr, nullptr, "f"), R("A]", nullptr, "f"), R("x", "", "f")}},
      {"carriage returns only", "[A]\rk=1\r[B]\rk=2\r", {R("A", "k", "f"), R("B", "k", "f")}},
      {"write odd values",
       "[A]\r\nk=1\r\n",
       {W("A", "t", "trailing  "), W("A", " spaced key ", "v"), W(" New ", "k", "v"),
        W("A", "q", "\"quoted\""), W("A", "e", ""), R("A", "t", "f"), R("A", "spaced key", "f"),
        R("New", "k", "f"), R("A", "q", "f"), R("A", "e", "f")}},
      {"delete with blanks and case",
       "[A]\r\nk=1\r\nj=2\r\n[B]\r\nx=1\r\n[C]\r\ny=1\r\n",
       {W(" a ", " K ", nullptr), W(" c ", nullptr, nullptr), R("A", "k", "f"), R("C", "y", "f")}},
      {"delete from a missing file", nullptr, {W("A", "k", nullptr), W("A", nullptr, nullptr)}},
  };
  return cases;
}

}  // namespace profilecases
