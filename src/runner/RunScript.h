#pragma once

#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A run script: one action a line, "SECONDS ACTION ARGS...", '#' starting a comment.
//   menu ITEM[INDEX] [ANSWER...]   a menu command; its prompts and file dialogs take
//                                  the answers in order ("" for an empty answer)
//   key C                          a key pressed on the main window
//   button NAME                    cmdServoOn, cmdServoOff, cmdRun, cmdHold, Image3, lblChannel
//   spin spnFreq|spnLevel|spnDirection up|down
//   press servo-on|stop|run|hold [SECONDS]   a bench push-button (held 0.2 s by default)
//   answer OK|Yes|No|Retry|Cancel  how the next message box is answered
//   remote LINE|LINE|...           the remote-control file as the outside program writes it
//   bench dead|saturate CHANNEL    a bench sensor fault from now on
//   bench call FUNCTION CODE       a library call that fails from now on
//   click X Y                      a mouse press on the plot at (X, Y) in its own units
//   editor open|update|breakpoints|close   the profile editor and its buttons
//   editor cell ROW COL TEXT       a cell clicked, TEXT typed into the edit box, accepted
//   audio KEY VALUES...            a setting of the USB interface, as a line of its file
//   audio save                     the interface's settings written to its file
//   audio calibrate [INPUT]        the inputs' correction by loop-back, on the audio
//                                  interface, with the drive cabled to INPUT (else the
//                                  settings' loop-back input); the actions after it wait
//                                  for its end
//   limits open|update|close       the limit table's editor and its buttons
//   limits cell ROW COL TEXT       as editor cell, on the limit table (CHANNEL is column 1)
struct ScriptAction {
    double seconds = 0.0;
    std::string action;
    std::vector<std::string> args;
    int line = 0;
};

struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The actions in time order (lines of equal time keep their order). Throws ScriptError
// naming the line for anything it does not understand.
std::vector<ScriptAction> ReadRunScript(std::istream& in);

// The script in the file at `path`; an empty file is a script of no actions. Throws
// ScriptError naming the file when it cannot be read (missing, a folder, no
// permission), or naming the line as ReadRunScript does.
std::vector<ScriptAction> ReadRunScriptFile(const std::string& path);

// What is wrong with the arguments of a bench action ("dead 3", "call daqOpen 7"), or
// nothing when the bench can play it.
std::optional<std::string> BenchActionFault(const std::vector<std::string>& args);
// The same for an editor action ("open", "cell 3 1 44.3").
std::optional<std::string> EditorActionFault(const std::vector<std::string>& args);
// The same for an audio action ("safety-limit-v 0.5", "save").
std::optional<std::string> AudioActionFault(const std::vector<std::string>& args);
// The same for a limits action ("open", "cell 3 1 2").
std::optional<std::string> LimitsActionFault(const std::vector<std::string>& args);

// A finite number as a script writes it: decimals and an exponent allowed, no blanks,
// no leading '+'.
std::optional<double> ScriptNumber(std::string_view word);
