#include "resources/own_texts.h"

#include <array>
#include <cstddef>

namespace cdsetup::resources {
namespace {

struct Words {
  OwnText id;
  const char* english;
  const char* polish;
};

// In the order of the enumeration, which a check below holds it to.
constexpr Words kTable[] = {
    {OwnText::kPagePrompt, "Type a number and press Enter (? for help): ",
     "Wpisz numer i naci\xC5\x9Bnij Enter (? to pomoc): "},
    {OwnText::kPagePromptShort, "Number and Enter (? for help): ", "Numer i Enter (? to pomoc): "},
    {OwnText::kPageHelp,
     "  3       press button 3, choose\n"
     "          option 3 or type into\n"
     "          field 3 (asked for next)\n"
     "  3 text  type \"text\" into field 3\n"
     "  4.2     pick row 2 of list 4\n"
     "  4.2!    open row 2 of list 4\n"
     "  Enter   press the (Enter) button\n"
     "  tab     go to the next control (<)\n"
     "  more    more of a long text or list\n"
     "  q, Esc  leave the page (Escape)\n",
     "  3       naci\xC5\x9Bnij przycisk 3, zaznacz\n"
     "          opcj\xC4\x99 3 albo pisz w polu 3\n"
     "          (o tekst zapytam ni\xC5\xBC"
     "ej)\n"
     "  3 tekst wpisz \"tekst\" w pole 3\n"
     "  4.2     wybierz wiersz 2 listy 4\n"
     "  4.2!    otw\xC3\xB3rz wiersz 2 listy 4\n"
     "  Enter   naci\xC5\x9Bnij przycisk (Enter)\n"
     "  tab     nast\xC4\x99pna kontrolka (<)\n"
     "  more    dalsze wiersze tekstu, listy\n"
     "  q, Esc  opu\xC5\x9B\xC4\x87 stron\xC4\x99 (Escape)\n"},
    {OwnText::kNotUnderstood, "not understood; try again",
     "nie rozumiem; spr\xC3\xB3"
     "buj jeszcze raz"},
    {OwnText::kTextPrompt, "text: ", "tekst: "},
    {OwnText::kBoxPrompt,
     "answer (number, letter or Enter): ", "odpowied\xC5\xBA (numer, litera, Enter): "},
    {OwnText::kNotAButton, "not one of the buttons",
     "to nie jest \xC5\xBC"
     "aden z przycisk\xC3\xB3w"},
    {OwnText::kMoreLines, "lines left: %1; type \"more\"",
     "pozosta\xC5\x82o wierszy: %1; wpisz \"more\""},
    {OwnText::kAbortKeys, "(a or Esc)", "(a lub Esc)"},
    {OwnText::kOk, "OK", "OK"},
    {OwnText::kCancel, "Cancel", "Anuluj"},
    {OwnText::kYes, "Yes", "Tak"},
    {OwnText::kNo, "No", "Nie"},
    {OwnText::kRetry, "Retry", "Pon\xC3\xB3w"},
    {OwnText::kIconError, "error",
     "b\xC5\x82\xC4\x85"
     "d"},
    {OwnText::kIconQuestion, "question", "pytanie"},
    {OwnText::kIconWarning, "warning",
     "ostrze\xC5\xBC"
     "enie"},
    {OwnText::kIconInformation, "information", "informacja"},
    {OwnText::kTooLong, "Please enter no more than %1 characters.",
     "Liczba znak\xC3\xB3w nie mo\xC5\xBC"
     "e przekroczy\xC4\x87 %1."},
    {OwnText::kNotEnoughSpace,
     "There is not enough free space on %1: the installation needs %2 and %3 is free.\n\n"
     "Continue anyway?",
     "Na dysku %1 jest za ma\xC5\x82o miejsca: instalacja potrzebuje %2, a wolne jest %3.\n\n"
     "Czy mimo to kontynuowa\xC4\x87?"},
};

constexpr bool InOrder() {
  for (std::size_t i = 0; i < std::size(kTable); ++i) {
    if (static_cast<std::size_t>(kTable[i].id) != i) return false;
  }
  return std::size(kTable) == static_cast<std::size_t>(OwnText::kNotEnoughSpace) + 1;
}
static_assert(InOrder(), "one row per text, in the enumeration's order");

constexpr unsigned kPolish = 0x15;  // the primary language of 0x0415

}  // namespace

std::string_view OwnTextOf(OwnText text, unsigned language_id) {
  const Words& row = kTable[static_cast<std::size_t>(text)];
  return (language_id & 0x3FF) == kPolish ? row.polish : row.english;
}

std::string WithArguments(std::string_view text, std::initializer_list<std::string_view> args) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
      const auto n = static_cast<std::size_t>(text[i + 1] - '1');
      if (n < args.size()) {
        out += *(args.begin() + n);
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

}  // namespace cdsetup::resources
