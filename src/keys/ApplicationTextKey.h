#pragma once

// The fixed text key under which the whole text of the settings file and of
// every key file is coded with the Vigenère codec (VigenereCodec.h). The dashboard
// hands it to the encrypt and settings windows in their sessions.
inline constexpr char ApplicationTextKey[] = "oFuxnkwcazpgE";
