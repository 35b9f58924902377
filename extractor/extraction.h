#pragma once
// Extraction of an archive's file_id.diz into the temp folder through the archive libraries.
// tempDir is the temp folder's path ending in a backslash. Each routine is true only when the
// library reports success and the file is there, and leaves no earlier file_id.diz otherwise.
#include <string>

// Chooses the routine by the path's extension (".zip", ".rar", ".ace", any case); false for others.
bool EntpackeBeschreibung(const std::string& path, const std::string& tempDir);

bool EntpackeZIP(const std::string& archive, const std::string& tempDir);
// Extracts every entry named file_id.diz, in any folder and case; the last one extracted stays. One
// that fails to extract ends the walk: true when an earlier one was extracted.
bool EntpackeRAR(const std::string& archive, const std::string& tempDir);
// False when UnAceV2.Dll is not loaded or did not initialise.
bool EntpackeACE(const std::string& archive, const std::string& tempDir);
