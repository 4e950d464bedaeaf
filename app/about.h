// What the information and splash windows say about the product and where it lives.
#pragma once

namespace about {

inline const char* kHomePage = "https://qrlx.example.org/";
inline const char* kSupportPage = "https://qrlx.example.org/support/";
inline const char* kMakerLine = "QRLX project";

}  // namespace about
