#pragma once

// The page a phone opens from a pairing QR code: plain HTML and a script, kept in
// relay_service/web/ and compiled in.
namespace vesket::relay_service::PairPage {
const char* html();
const char* script();
}  // namespace vesket::relay_service::PairPage
