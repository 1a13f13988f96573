// The names of the authority that receives the statements, as the start-up
// window and the printed statements show them (UTF-8; G() gives the bytes).
#pragma once

namespace epinax {

inline constexpr char kMinistryName[] = "ΥΠΟΥΡΓΕΙΟ ΣΤΑΘΜΙΣ";
inline constexpr char kAuthorityName[] = "ΚΕΦΥΣ";

}  // namespace epinax
