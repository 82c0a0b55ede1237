# Writes the control identifier constants from the panel definition, so that the
# code and the panel resource can never disagree. Run when the build is
# configured (src/panel/CMakeLists.txt) with
#   -DUIR=<tavr.uir> -DOUT=<control_ids.h>
file(READ "${UIR}" uir)
string(JSON panel_name GET "${uir}" panels 0 name)
string(JSON panel_id GET "${uir}" panels 0 id)
string(JSON count LENGTH "${uir}" panels 0 controls)
math(EXPR last "${count} - 1")
set(body "")
set(table "")
foreach(i RANGE ${last})
    string(JSON id GET "${uir}" panels 0 controls ${i} id)
    string(JSON name GET "${uir}" panels 0 controls ${i} constant)
    string(JSON kind GET "${uir}" panels 0 controls ${i} kind)
    string(APPEND body "    ${name} = ${id},\n")
    string(APPEND table "    {${id}, \"${name}\", \"${kind}\"},\n")
endforeach()
set(text "// Generated from resources/tavr.uir by cmake/generate_control_ids.cmake. Do not edit.
#pragma once

namespace ctrl {

inline constexpr char kPanelName[] = \"${panel_name}\";
inline constexpr int kPanelId = ${panel_id};
inline constexpr int kControlCount = ${count};

enum ControlId : int {
${body}};

// Every control the program was built for, in the order of the definition:
// a definition loaded at run time must hold exactly these.
struct CompiledControl {
    int id;
    const char *constant;
    const char *kind;
};

inline constexpr CompiledControl kControls[] = {
${table}};

} // namespace ctrl
")
file(WRITE "${OUT}.tmp" "${text}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUT}.tmp" "${OUT}")
file(REMOVE "${OUT}.tmp")
