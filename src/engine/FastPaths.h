#pragma once

// How new script runs execute statements and expressions: straight from the text, or through their compiled
// forms (the default), where the statements that run only once (those at the top level of a file) stay on the
// text path because compiling them would cost more than it saves; or with everything compiled, which tests
// use to put every expression through the compiled forms. All modes give the same results, errors and error
// lines; the text path is the reference that the compiled forms are compared with, and it runs whatever the
// compiled forms leave to it. An interpreter and an evaluator read the mode when they are created; a process
// starts in the mode the environment variable KIVRAN_SCRIPT_PATH names ("text", "everywhere"), else in
// kCompiled.
namespace FastPaths {

enum class Mode { kText, kCompiled, kCompiledEverywhere };

Mode GetMode();
void SetMode(Mode mode);
inline bool Enabled() {
    return GetMode() != Mode::kText;
}

} // namespace FastPaths
