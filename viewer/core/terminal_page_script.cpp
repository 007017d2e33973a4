#include "viewer/core/terminal_page_script.h"

#include <cstdio>

#include "control_plane/core/base64.h"

namespace vesket::viewer::TerminalPageScript {

namespace {

const char* boolText(bool value) { return value ? "true" : "false"; }

// "window.__f && window.__f(" + arguments + ");"
std::string guardedCall(std::string_view function, std::string_view arguments, bool statement = true) {
  std::string script;
  script.reserve(function.size() * 2 + arguments.size() + 24);
  script += "window.";
  script += function;
  script += " && window.";
  script += function;
  script += '(';
  script += arguments;
  script += ')';
  if (statement) script += ';';
  return script;
}

std::string base64Literal(std::string_view bytes) {
  std::string literal;
  literal.reserve(control_plane::Base64::encodedSize(bytes.size()) + 2);
  literal += '\'';
  control_plane::Base64::encodeAppend(bytes, literal);
  literal += '\'';
  return literal;
}

}  // namespace

std::string_view wheelModeFor(bool mouseReporting, bool alternateScreen) {
  if (mouseReporting) return kWheelMouse;
  return alternateScreen ? kWheelArrows : kWheelScrollback;
}

std::string quoted(std::string_view text) {
  std::string out = "'";
  for (const char c : text) {
    switch (c) {
      case '\'': out += "\\'"; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  // U+2028 and U+2029 end a line inside an older engine's string literal.
  for (std::size_t pos = 0; (pos = out.find("\u2028", pos)) != std::string::npos;) out.replace(pos, 3, "\\u2028");
  for (std::size_t pos = 0; (pos = out.find("\u2029", pos)) != std::string::npos;) out.replace(pos, 3, "\\u2029");
  out += '\'';
  return out;
}

std::string write(std::string_view bytes, std::int64_t generation, bool superseded,
                  std::optional<std::uint64_t> traceSequence) {
  std::string arguments = base64Literal(bytes);
  arguments += ", " + std::to_string(generation) + ", " + boolText(superseded) + ", ";
  arguments += traceSequence ? std::to_string(*traceSequence) : "null";
  return guardedCall(kTermWrite, arguments);
}

std::string historyChunk(std::string_view bytes, std::int64_t generation, bool reset) {
  return guardedCall(kTermHistoryChunk,
                     base64Literal(bytes) + ", " + std::to_string(generation) + ", " + boolText(reset));
}

std::string historyEnd(std::int64_t generation, bool reset) {
  return guardedCall(kTermHistoryEnd, std::to_string(generation) + ", " + boolText(reset));
}

std::string olderChunk(std::string_view bytes, std::int64_t generation) {
  return guardedCall(kTermOlderChunk, base64Literal(bytes) + ", " + std::to_string(generation));
}

std::string olderEnd(std::int64_t generation, bool atTop, std::int64_t lines) {
  return guardedCall(kTermOlderEnd,
                     std::to_string(generation) + ", " + boolText(atTop) + ", " + std::to_string(lines));
}

std::string resize(int cols, int rows) {
  return guardedCall(kTermResize, std::to_string(cols) + ", " + std::to_string(rows));
}

std::string refit() { return guardedCall(kRefit, ""); }

std::string reconcileMode(std::string_view mode) { return guardedCall(kReconcileMode, quoted(mode)); }

std::string measureAttachGeometry() { return guardedCall(kMeasureAttachGeometry, "", false); }

std::string metricsSettled() { return "window.__metricsSettledFlag === true"; }

std::string armFirstReadableFrame() { return guardedCall(kArmFirstReadableFrame, ""); }

std::string setImeArmed(bool armed) { return guardedCall(kSetImeArmed, boolText(armed)); }

std::string setMouseMode(bool enabled, std::optional<std::string_view> encoding) {
  return guardedCall(kSetMouseMode,
                     std::string(boolText(enabled)) + ", " + (encoding ? quoted(*encoding) : "null"));
}

std::string setDesktopWheelMode(std::string_view mode) { return guardedCall(kSetDesktopWheelMode, quoted(mode)); }

std::string getSelection() { return guardedCall(kTermGetSelection, "", false); }

std::string init(std::string_view optionsJson) { return guardedCall(kTermInit, optionsJson); }

std::string flowState() { return guardedCall(kTermFlowState, "", false); }

}  // namespace vesket::viewer::TerminalPageScript
