// The names of the authority that receives the statements, as the start-up
// window and the printed statements show them.
#pragma once

namespace epinax {

inline constexpr char kMinistryName[] = "ΥΠΟΥΡΓΕΙΟ ΣΤΑΘΜΙΣ";
inline constexpr char kAuthorityName[] = "ΚΕΦΥΣ";
// The authority's web host: its site, its submission page, and where the
// start-up window sends the user.
inline constexpr char kAuthorityHost[] = "www.kefys.example";

}  // namespace epinax
