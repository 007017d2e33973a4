#pragma once

// The messages the terminal page posts to the live terminal bridge, by name, with the
// payload keys each carries (a JSON object). A name outside this list is ignored.
//
//   ready               {cols, rows, cellWidth, cellHeight}  terminal opened, metrics settled
//   pageLoaded          {}                                 the page and its channel are up
//   input               {text}                             typed text, keys as xterm encodes them
//   inputBytes          {base64}                           raw bytes (legacy mouse reports)
//   imeCommit           {text}                             text committed by an input method
//   compositionBoundary {phase: "start" | "end"}
//   cursorKeyMode       {application: bool}                 sets applicationCursorKeys
//   bracketedPasteMode  {enabled: bool}                     sets bracketedPasteMode
//   viewportResize      {cols, rows}                       the view now fits this size
//   widthGrow           {cols, rows, previousCols}          the view grew wider than the terminal
//   requestOlderHistory {generation}                       scrolled to the top of the history
//   copySelection       {text}                             selected text for the clipboard
//   copyMode            {active: bool}                      the user scrolled away from the bottom
//   openUrl             {url}                              a link the user activated
//   renderAnomaly       {text}                             something went wrong drawing
//   contentParity       {text}                             a content check report (JSON text)
//   imeDiag             {event, data, composing}           input-method diagnostics
//   applyTap            {col, row, button}                 a click on the terminal

#include <optional>
#include <string_view>

namespace vesket::viewer {

enum class TerminalPageMessage {
  ready,
  pageLoaded,
  input,
  inputBytes,
  imeCommit,
  compositionBoundary,
  cursorKeyMode,
  bracketedPasteMode,
  viewportResize,
  widthGrow,
  requestOlderHistory,
  copySelection,
  copyMode,
  openUrl,
  renderAnomaly,
  contentParity,
  imeDiag,
  applyTap,
};

namespace TerminalPageMessages {

// The name the page posts.
std::string_view nameOf(TerminalPageMessage message);
// The message of a posted name; none for a name outside the list.
std::optional<TerminalPageMessage> named(std::string_view name);

// Only "http" and "https" links are opened (in the user's browser); "file", "javascript",
// custom schemes and malformed text never are.
bool opensInBrowser(std::string_view url);

}  // namespace TerminalPageMessages

}  // namespace vesket::viewer
