// The language edition a stand-in disk tool plays: BRIVANE_LAB_LANGUAGE=de or fr for
// a German or French Windows 98, anything else English. Texts are in code page 1252,
// the ANSI code page of all three. Captions a Brivane run may look for: the Defrag
// window, its final prompt and ScanDisk's window (the product name in every edition).
// The prompts are MessageBoxA boxes: their buttons read what the system's own
// language gives them, as on Windows (the lab runs Wine in the edition's locale).
#pragma once

#include <cstdlib>
#include <cstring>

namespace lab {

struct Edition {
  const char* code;           // BRIVANE_LAB_LANGUAGE, "en" for English
  const char* defrag_window;  // with the drive letter
  const char* defrag_activity;
  const char* defrag_prompt;      // the final prompt's caption
  const char* defrag_question;    // with the drive letter
  const char* scandisk_activity;  // with the drive, "C:"
  const char* scandisk_question;
  const char* progress;  // activity, then percentage done
};

// German: Defrag's caption as public material gives it for German editions;
// French: the tool's French name ("Defragmenteur de disque") for the prompt; the
// other texts are plausible translations, not copied from a real edition.
inline const Edition kEditions[] = {
    {"en", "Defragmenting Drive %c", "Defragmenting file system", "Disk Defragmenter",
     "Defragmentation of drive %c is complete.\n\nDo you want to quit Disk Defragmenter?",
     "Checking files and folders on %s", "Do you want to see the log of this check?",
     "%s %lu%% complete"},
    {"de", "Defragmentierung von Laufwerk %c", "Dateisystem wird defragmentiert",
     "Defragmentierung",
     "Die Defragmentierung von Laufwerk %c ist abgeschlossen.\n\nM\366chten Sie die "
     "Defragmentierung beenden?",
     "Dateien und Ordner auf %s werden \374berpr\374ft",
     "M\366chten Sie das Protokoll dieser \334berpr\374fung anzeigen?", "%s: %lu%%"},
    {"fr", "D\351fragmentation du lecteur %c", "D\351fragmentation du syst\350me de fichiers",
     "D\351fragmenteur de disque",
     "La d\351fragmentation du lecteur %c est termin\351e.\n\nVoulez-vous quitter le "
     "D\351fragmenteur de disque ?",
     "V\351rification des fichiers et dossiers de %s",
     "Voulez-vous afficher le journal de cette v\351rification ?", "%s : %lu %%"},
};

inline const Edition& CurrentEdition() {
  const char* code = std::getenv("BRIVANE_LAB_LANGUAGE");
  for (const Edition& edition : kEditions) {
    if (code != nullptr && std::strcmp(code, edition.code) == 0) return edition;
  }
  return kEditions[0];
}

}  // namespace lab
