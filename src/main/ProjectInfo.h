#pragma once
// The project's web page and support mailbox, opened by the Web and E-mail buttons.

namespace zentor::project {

inline constexpr const char* kWebHost = "zentor-console.example.org";
inline constexpr const char* kWebUrl = "https://zentor-console.example.org/";
inline constexpr const char* kSupportMail = "support@zentor-console.example.org";

}  // namespace zentor::project
