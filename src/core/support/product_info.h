// Who makes Korvex and which version it is: shared by the window and the companion programs.
#pragma once

#include <string>

// A macro so that the version line below is built from it at compile time.
#define KORVEX_PRODUCT_VERSION "1.41"

namespace korvex {

inline constexpr const char* kProductVersion = KORVEX_PRODUCT_VERSION;
inline constexpr const char* kVersionLine = "KORVEX Version " KORVEX_PRODUCT_VERSION " (May 8, 2000)";
inline constexpr const char* kMakerNotice = "Copyright (C) Helvorn Design Software. All rights reserved.";
inline constexpr const char* kMakerAddress = "Helvorn Design Software, 7 Foundry Row, Kestlemark";
inline constexpr const char* kMakerTelephone = "Telephone: +1 555 0100";
inline constexpr const char* kMakerFax = "Fax: +1 555 0101";
inline constexpr const char* kMakerWebSite = "https://www.helvorn.example";
inline constexpr const char* kMakerEmail = "support@helvorn.example";
inline constexpr const char* kProductPagePath = "/gdsii/korvex/korvex.htm";

// The product's page on the maker's web site.
inline std::string ProductPageAddress() { return std::string(kMakerWebSite) + kProductPagePath; }

// What the web page command says when no browser could be started.
inline std::string WebPageFailureMessage(const std::string& address) {
  return "Error occurred in launching web browser to go to\n" + address +
         ".\nYou can run web browser manually and go to the above address.";
}

}  // namespace korvex
