#pragma once

namespace tovrix::maker {

// The maker's contact details, shown in the help window and named in the
// configuration file's credit line. The domain is a reserved example domain.
inline constexpr const char* kCompany = "Tovrix Funktechnik GmbH";
inline constexpr const char* kStreet = "Am Sendemast 7";
inline constexpr const char* kTown = "D-99099 Musterstadt";
inline constexpr const char* kTelephone = "Tel.: +49 (0)3601 4711-0";
inline constexpr const char* kFax = "Fax: +49 (0)3601 4711-99";
inline constexpr const char* kEmail = "service@tovrix-funk.example";
inline constexpr const char* kHomePage = "www.tovrix-funk.example";
inline constexpr const char* kToolVersion = "1.05";

}  // namespace tovrix::maker
