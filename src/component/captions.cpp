#include "component/captions.h"

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "kelvo/error.h"

namespace kelvo::detail {
namespace {

struct LanguageTexts {
  std::string_view code;
  std::array<std::string_view, 12> captions;
  std::array<std::string_view, 5> buttons;
  std::array<std::string_view, 6> messages;
  std::array<std::string_view, kFilterTexts> filters;
};

constexpr std::array<LanguageTexts, 3> kLanguages = {{
    {"ENG",
     {"Next", "Next", "Previous", "Previous", "Record", "Records", "List", "of", "First", "Last",
      "Records per Page", "Page"},
     {"Edit", "Save", "Close", "Add", "Delete"},
     {"[New record saved ok]", "[Record saved ok]", "[Record deleted]",
      "Record WAS NOT SAVED. Fill out all required fields.",
      "Record WAS NOT SAVED. It was changed by another user.",
      "[The record no longer exists]"},
     {"Search", "Search", "contains", "equals", "from", "to", "is empty", "no rows match",
      "Clear filters", "link to this view",
      "The search was not applied: it is longer than 1,000 characters.",
      "The search was not applied: the grid has no text column to search.",
      "The filter on %1 was not applied: the column has no filter \"%2\".",
      "The filter on %1 was not applied: the text is longer than 1,000 characters.",
      "The filter on %1 was not applied: \"%2\" is not a number.",
      "The filter on %1 was not applied: \"%2\" is not a date (YYYY-MM-DD).",
      "The filter on %1 was not applied: \"%2\" is out of range.",
      "Search and filters are not available here: the rows come from a procedure.",
      "The counts of %1 were left out: they took too long.",
      "The search looked for \"%2\" as typed: *, ? and % are no wildcards here.",
      "The filter on %1 looked for \"%2\" as typed: *, ? and % are no wildcards here."}},
    {"GER",
     {"N\u00e4chster", "N\u00e4chste", "Vorheriger", "Vorherige", "Datensatz",
      "Datens\u00e4tze", "Liste", "von", "Erste", "Letzter", "Datens\u00e4tze pro Seite",
      "Seite"},
     {"Edit", "Save", "Close", "Add", "Delete"},
     {"[New record saved ok]", "[Record saved ok]", "[Record deleted]",
      "Record WAS NOT SAVED. Fill out all required fields.",
      "Record WAS NOT SAVED. It was changed by another user.",
      "[Der Datensatz existiert nicht mehr]"},
     {"Suche", "Suchen", "enth\u00e4lt", "gleich", "von", "bis", "ist leer",
      "keine Zeilen gefunden", "Filter l\u00f6schen", "Link zu dieser Ansicht",
      "Die Suche wurde nicht angewandt: Sie ist l\u00e4nger als 1.000 Zeichen.",
      "Die Suche wurde nicht angewandt: Die Tabelle hat keine Textspalte zum Durchsuchen.",
      "Der Filter auf %1 wurde nicht angewandt: Die Spalte hat keinen Filter \u201e%2\u201c.",
      "Der Filter auf %1 wurde nicht angewandt: Der Text ist l\u00e4nger als 1.000 Zeichen.",
      "Der Filter auf %1 wurde nicht angewandt: \u201e%2\u201c ist keine Zahl.",
      "Der Filter auf %1 wurde nicht angewandt: \u201e%2\u201c ist kein Datum (JJJJ-MM-TT).",
      "Der Filter auf %1 wurde nicht angewandt: \u201e%2\u201c liegt au\u00dferhalb des "
      "zul\u00e4ssigen Bereichs.",
      "Suche und Filter sind hier nicht verf\u00fcgbar: Die Zeilen stammen aus einer Prozedur.",
      "Die Anzahlen f\u00fcr %1 wurden weggelassen: Ihre Ermittlung dauerte zu lange.",
      "Die Suche galt \u201e%2\u201c w\u00f6rtlich: *, ? und % sind hier keine Platzhalter.",
      "Der Filter auf %1 galt \u201e%2\u201c w\u00f6rtlich: *, ? und % sind hier keine "
      "Platzhalter."}},
    {"NOR",
     {"Neste", "Neste", "Forrige", "Forrige", "post", "poster", "Liste", "av", "F\u00f8rste",
      "Siste", "Poster per side", "side"},
     {"Rediger", "Lagre", "Lukk", "Ny", "Slett"},
     {"[Ny datapost lagret]", "[Dataposten ble lagret]", "[Dataposten ble slettet]",
      "Dataposten ble IKKE LAGRET. Fyll ut p\u00e5krevde verdier.",
      "Dataposten ble IKKE LAGRET. Den ble endret av en annen bruker.",
      "[Dataposten finnes ikke lenger]"},
     {"S\u00f8k", "S\u00f8k", "inneholder", "er lik", "fra", "til", "er tom",
      "ingen poster passer", "Fjern filtre", "lenke til denne visningen",
      "S\u00f8ket ble ikke brukt: det er lengre enn 1 000 tegn.",
      "S\u00f8ket ble ikke brukt: tabellen har ingen tekstkolonne \u00e5 s\u00f8ke i.",
      "Filteret p\u00e5 %1 ble ikke brukt: kolonnen har ikke filteret \u00ab%2\u00bb.",
      "Filteret p\u00e5 %1 ble ikke brukt: teksten er lengre enn 1 000 tegn.",
      "Filteret p\u00e5 %1 ble ikke brukt: \u00ab%2\u00bb er ikke et tall.",
      "Filteret p\u00e5 %1 ble ikke brukt: \u00ab%2\u00bb er ikke en dato (\u00c5\u00c5\u00c5\u00c5-MM-DD).",
      "Filteret p\u00e5 %1 ble ikke brukt: \u00ab%2\u00bb er utenfor gyldig omr\u00e5de.",
      "S\u00f8k og filtre er ikke tilgjengelige her: postene kommer fra en prosedyre.",
      "Antallene for %1 ble utelatt: det tok for lang tid.",
      "S\u00f8ket gjaldt \u00ab%2\u00bb slik det er skrevet: *, ? og % er ikke jokertegn her.",
      "Filteret p\u00e5 %1 gjaldt \u00ab%2\u00bb slik det er skrevet: *, ? og % er ikke "
      "jokertegn her."}},
}};

constexpr std::size_t kFormTexts = TxtDeleteNote + 1;

struct LanguageFormTexts {
  std::string_view code;
  std::array<std::string_view, kFormTexts> texts;
};

constexpr std::array<LanguageFormTexts, 3> kFormTextTables = {{
    {"ENG",
     {"Nothing was changed: this form could not be verified. It may come from another server, an "
      "earlier run of this one or another site. The record is shown as it is now stored.",
      "Nothing was changed: this form was made by another server or an earlier run of this one, "
      "which signs its forms with another secret. The record is shown as it is now stored; make "
      "your change again.",
      "Another user changed this record after you opened it. For each marked field, keep your "
      "value or take the stored one, then save.",
      "Changed by another user", "Yours", "Stored now", "You started from", "(empty)", "Yes",
      "No", "Delete this record?", "Cancel",
      "You have unsaved changes. Leave this form without saving them?",
      "Record WAS NOT SAVED. Check these fields:", "a value is required", "is not a number",
      "is not a valid date", "Deletes this record for good."}},
    {"GER",
     {"Nichts wurde ge\u00e4ndert: Dieses Formular lie\u00df sich nicht pr\u00fcfen. Es stammt "
      "vielleicht von einem anderen Server, einem fr\u00fcheren Lauf dieses Servers oder einer "
      "anderen Website. Der Datensatz wird so gezeigt, wie er jetzt gespeichert ist.",
      "Nichts wurde ge\u00e4ndert: Dieses Formular stammt von einem anderen Server oder einem "
      "fr\u00fcheren Lauf dieses Servers, der seine Formulare mit einem anderen Schl\u00fcssel "
      "signiert. Der Datensatz wird so gezeigt, wie er jetzt gespeichert ist; nehmen Sie Ihre "
      "\u00c4nderung erneut vor.",
      "Ein anderer Benutzer hat diesen Datensatz ge\u00e4ndert, nachdem Sie ihn ge\u00f6ffnet "
      "haben. Behalten Sie bei jedem markierten Feld Ihren Wert oder \u00fcbernehmen Sie den "
      "gespeicherten, und speichern Sie dann.",
      "Von einem anderen Benutzer ge\u00e4ndert", "Ihr Wert", "Jetzt gespeichert",
      "Ihr Ausgangswert", "(leer)", "Ja", "Nein", "Diesen Datensatz l\u00f6schen?", "Abbrechen",
      "Sie haben ungespeicherte \u00c4nderungen. Das Formular verlassen, ohne sie zu "
      "speichern?",
      "Der Datensatz wurde NICHT GESPEICHERT. Pr\u00fcfen Sie diese Felder:",
      "ein Wert ist erforderlich", "ist keine Zahl", "ist kein g\u00fcltiges Datum",
      "L\u00f6scht diesen Datensatz endg\u00fcltig."}},
    {"NOR",
     {"Ingenting ble endret: dette skjemaet kunne ikke bekreftes. Det kan komme fra en annen "
      "server, en tidligere kj\u00f8ring av denne eller et annet nettsted. Posten vises slik den "
      "er lagret n\u00e5.",
      "Ingenting ble endret: dette skjemaet ble laget av en annen server eller en tidligere "
      "kj\u00f8ring av denne, som signerer skjemaene sine med en annen n\u00f8kkel. Posten vises "
      "slik den er lagret n\u00e5; gj\u00f8r endringen p\u00e5 nytt.",
      "En annen bruker endret denne posten etter at du \u00e5pnet den. Behold din verdi eller ta "
      "den lagrede for hvert merket felt, og lagre deretter.",
      "Endret av en annen bruker", "Din verdi", "Lagret n\u00e5", "Du startet med", "(tom)",
      "Ja", "Nei", "Slette denne posten?", "Avbryt",
      "Du har endringer som ikke er lagret. Forlate skjemaet uten \u00e5 lagre dem?",
      "Dataposten ble IKKE LAGRET. Kontroller disse feltene:", "en verdi m\u00e5 fylles ut",
      "er ikke et tall", "er ikke en gyldig dato", "Sletter denne posten for godt."}},
}};

struct LanguageGridTexts {
  std::string_view code;
  std::array<std::string_view, 6> texts;
};

constexpr std::array<LanguageGridTexts, 3> kGridTextTables = {{
    {"ENG", {"Record navigation", "not available", "sorted ascending", "sorted descending",
             "Excel export", "Show"}},
    {"GER", {"Datensatznavigation", "nicht verf\u00fcgbar", "aufsteigend sortiert",
             "absteigend sortiert", "Excel-Export", "Anzeigen"}},
    {"NOR", {"Postnavigering", "ikke tilgjengelig", "sortert stigende", "sortert synkende",
             "Excel-eksport", "Vis"}},
}};

template <std::size_t N>
DbViewState::TextTable ToTable(const std::array<std::string_view, N>& texts) {
  return std::make_shared<const std::vector<std::string>>(texts.begin(), texts.end());
}

// A language's tables, made once.
struct LanguageTables {
  DbViewState::TextTable captions, buttons, messages, filters;
};

const LanguageTables& TablesOf(const LanguageTexts& language) {
  static const std::array<LanguageTables, kLanguages.size()> tables = [] {
    std::array<LanguageTables, kLanguages.size()> made;
    for (std::size_t i = 0; i < kLanguages.size(); ++i) {
      made[i] = {ToTable(kLanguages[i].captions), ToTable(kLanguages[i].buttons),
                 ToTable(kLanguages[i].messages), ToTable(kLanguages[i].filters)};
    }
    return made;
  }();
  return tables[static_cast<std::size_t>(&language - kLanguages.data())];
}

std::vector<std::string> SplitAtCommas(std::string_view list) {
  std::vector<std::string> items;
  if (list.empty()) return items;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = list.find(',', start);
    items.emplace_back(list.substr(start, comma - start));
    if (comma == std::string_view::npos) return items;
    start = comma + 1;
  }
}

// Replaces `table` with the list's items when there are at least `needed`; slots the list
// does not reach keep their texts, so a three-item message list keeps the required-field text.
void ReplaceTable(DbViewState& s, DbViewState::TextTable& table, std::string_view list,
                  std::size_t needed, std::string_view property) {
  std::vector<std::string> items = SplitAtCommas(list);
  if (items.size() < needed) {
    s.ErrorMessage += "Wrong number of strings set in the " + std::string(property) + ". " +
                      std::to_string(items.size()) +
                      " was given. The correct number of strings separated by comma is " +
                      std::to_string(needed) + "!<br>";
    return;
  }
  if (table) {
    for (std::size_t i = items.size(); i < table->size(); ++i) items.push_back((*table)[i]);
  }
  table = std::make_shared<const std::vector<std::string>>(std::move(items));
}

const std::string& Slot(const DbViewState::TextTable& table, int slot) {
  if (!table || slot < 0 || static_cast<std::size_t>(slot) >= table->size()) {
    throw Error(errc::kSubscriptOutOfRange, "Subscript out of range");
  }
  return (*table)[static_cast<std::size_t>(slot)];
}

}  // namespace

void SetLanguage(DbViewState& s, std::string_view code) {
  for (const LanguageTexts& language : kLanguages) {
    if (language.code != code) continue;
    s.Language = code;
    const LanguageTables& tables = TablesOf(language);
    s.marrCaptions = tables.captions;
    s.marrButtons = tables.buttons;
    s.marrMessages = tables.messages;
    s.marrFilterCaptions = tables.filters;
    return;
  }
}

void SetLanguageString(DbViewState& s, std::string_view list) {
  ReplaceTable(s, s.marrCaptions, list, 12, "LanguageString");
}

void SetLanguageBtnString(DbViewState& s, std::string_view list) {
  ReplaceTable(s, s.marrButtons, list, 5, "LanguageBtnString");
}

void SetLangUpdString(DbViewState& s, std::string_view list) {
  ReplaceTable(s, s.marrMessages, list, 3, "LanguageUpdString");
}

void SetLanguageFilterString(DbViewState& s, std::string_view list) {
  ReplaceTable(s, s.marrFilterCaptions, list, kFilterCaptions, "LanguageFilterString");
}

const std::string& FilterText(const DbViewState& s, FilterSlot slot) {
  return Slot(s.marrFilterCaptions, slot);
}

std::string FilterStatus(const DbViewState& s, FilterSlot slot, std::string_view column,
                         std::string_view value) {
  const std::string& text = Slot(s.marrFilterCaptions, slot);
  // One pass, so that a value holding "%1" is not read as a placeholder.
  std::string status;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
      status += text[i + 1] == '1' ? column : value;
      ++i;
    } else {
      status += text[i];
    }
  }
  return status;
}

const std::string& CaptionText(const DbViewState& s, CaptionSlot slot) {
  return Slot(s.marrCaptions, slot);
}

const std::string& ButtonText(const DbViewState& s, ButtonSlot slot) {
  return Slot(s.marrButtons, slot);
}

const std::string& MessageText(const DbViewState& s, MessageSlot slot) {
  return Slot(s.marrMessages, slot);
}

std::string_view FormText(const DbViewState& s, FormTextSlot slot) {
  for (const LanguageFormTexts& language : kFormTextTables) {
    if (language.code == s.Language) return language.texts[slot];
  }
  return kFormTextTables[0].texts[slot];
}

std::string_view GridText(const DbViewState& s, GridTextSlot slot) {
  for (const LanguageGridTexts& language : kGridTextTables) {
    if (language.code == s.Language) return language.texts[slot];
  }
  return kGridTextTables[0].texts[slot];
}

std::string EstimatedCountText(const DbViewState& s, std::int64_t count) {
  std::string_view word = "about ";
  char separator = ',';
  if (s.Language == "GER") {
    word = "etwa ";
    separator = '.';
  } else if (s.Language == "NOR") {
    word = "omtrent ";
    separator = ' ';
  }
  const std::string digits = std::to_string(count < 0 ? 0 : count);
  std::string text(word);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += separator;
    text += digits[i];
  }
  return text;
}

}  // namespace kelvo::detail
