#pragma once

// Addresses on the web that the program opens. They are configuration: change
// them here and nowhere else.
namespace AppConfig {

// The maker's web site, host address without scheme (shown in the about box;
// "https://" is put in front when it is opened).
inline constexpr char MakerSiteGerman[] = "www.velmora.example/de";
inline constexpr char MakerSiteEnglish[] = "www.velmora.example/en";

// Where the banner at the bottom of the German dashboard leads.
inline constexpr char BannerLink[] = "https://www.velmora.example/de/neuigkeiten";

// The line with the year and the maker's name in the about box.
inline constexpr char CopyrightLine[] = "© 2024 Velmora Software";

} // namespace AppConfig
