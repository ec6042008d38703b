#include "link/statusmessages.h"

#include <array>

namespace tovrix {

namespace {

struct Wording {
    const char* german;
    const char* english;
};

// In enumeration order. msgtimeout is followed by the number of bytes
// handled, msgnoanswer is appended after that. msgpartial is appended to
// the report of a programming run that ended early, msglinelost is followed
// by the port's name, msgnotquiet is appended to the phase text.
constexpr std::array<Wording, kStatusMessageCount> kWordings{{
    {"Bitte Konfiguration auslesen oder Datei laden", "Read the configuration or load a file"},
    {"Konfiguration erfolgreich ausgelesen", "Configuration read successfully"},
    {"Prüfsummenfehler in der Konfiguration!", "Configuration checksum error!"},
    {"Konfiguration programmiert", "Configuration programmed"},
    {"Konfiguration programmiert und geprüft", "Configuration programmed and verified"},
    {"Prüfung fehlgeschlagen - Konfiguration wiederhergestellt",
     "Verification failed - configuration restored"},
    {"Tabelle erfolgreich ausgelesen", "Table read successfully"},
    {"Prüfsummenfehler in der Tabelle!", "Table checksum error!"},
    {"Tabelle erfolgreich programmiert", "Table programmed successfully"},
    {"Tabelle: Empfänger meldet Fehler!", "Table: the receiver reports an error!"},
    {" - Zeitüberschreitung nach Byte ", " - timeout after byte "},
    {" - keine Antwort vom Empfänger!", " - no answer from the receiver!"},
    {"Empfänger zurückgesetzt", "Receiver reset"},
    {"Datei gespeichert", "File saved"},
    {"Speichern abgebrochen", "Saving cancelled"},
    {"Fehler beim Speichern der Datei!", "Error saving the file!"},
    {"Laden abgebrochen", "Loading cancelled"},
    {"Fehler beim Laden der Datei!", "Error loading the file!"},
    {"Datei geladen", "File loaded"},
    {"Datei geladen - Prüfsummenfehler in der Tabelle!", "File loaded - table checksum error!"},
    {" - der Empfänger kann jetzt teilweise geschriebene Daten enthalten!",
     " - the receiver may now hold partly written data!"},
    {"Verbindung verloren: ", "Connection lost: "},
    {" - die Leitung kommt nicht zur Ruhe, nichts gesendet!",
     " - the line does not go quiet, nothing was sent!"},
}};

}  // namespace

std::string statusText(StatusMessage message, Language language) {
    const Wording& wording = kWordings.at(static_cast<std::size_t>(message));
    return language == Language::Deutsch ? wording.german : wording.english;
}

}  // namespace tovrix
