# Assembles the JavaScript package from the conversion module emscripten built (CORE): the same
# factory and the same interface (js/src/library.js) wrapped twice, as the npm package's ES
# module and as a classic script for the viewer page, which may be opened from disk, where no
# browser loads an ES module. Run by the build (CMakeLists.txt) as
#   cmake -DCORE=... -DVANTRIX_VERSION=... -DSOURCE=<js folder> -DPACKAGE=<folder>
#         -DSCRIPT=<classic script> -P js/assemble.cmake

cmake_minimum_required(VERSION 3.25)

foreach(variable CORE VANTRIX_VERSION SOURCE PACKAGE SCRIPT)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "assemble.cmake needs -D${variable}=...")
  endif()
endforeach()

file(READ "${CORE}" core)
# emscripten ends its factory with exports for CommonJS and AMD loaders; neither wrapper wants
# them (an ES module has no `module`, and the viewer's script defines its own global).
set(trailer "if (typeof exports === 'object' && typeof module === 'object')")
string(FIND "${core}" "${trailer}" at REVERSE)
string(FIND "${core}" "exports[\"createVantrixModule\"] = createVantrixModule;" last REVERSE)
if(at EQUAL -1 OR last LESS at)
  message(FATAL_ERROR "${CORE} does not end as emscripten's factory of createVantrixModule does")
endif()
string(SUBSTRING "${core}" 0 ${at} core)

file(READ "${SOURCE}/src/library.js" library)
string(REPLACE "@VANTRIX_VERSION@" "${VANTRIX_VERSION}" library "${library}")

set(names convertSave readSavePreview textToUtf8 version)
string(JOIN ", " list ${names})
set(body "function vantrixLibrary() {
\"use strict\";
${core}
${library}
return {${list}};
}
")

set(module "// vantrix ${VANTRIX_VERSION}: save previews of RPG Maker 2000/2003 games (ES module).
${body}
const library = vantrixLibrary();
")
foreach(name ${names})
  string(APPEND module "export const ${name} = library.${name};\n")
endforeach()
file(WRITE "${PACKAGE}/vantrix.js" "${module}")

# The viewer's script: `vantrix` is the interface; `vantrixLibrary` makes another (the page's
# worker is made from its text).
file(WRITE "${SCRIPT}" "// vantrix ${VANTRIX_VERSION}: save previews of RPG Maker 2000/2003 games (classic script).
${body}
var vantrix = vantrixLibrary();
")

configure_file("${SOURCE}/package.json.in" "${PACKAGE}/package.json" @ONLY)
foreach(file README.md vantrix.d.ts node.d.ts)
  configure_file("${SOURCE}/${file}" "${PACKAGE}/${file}" COPYONLY)
endforeach()
configure_file("${SOURCE}/src/node.js" "${PACKAGE}/node.js" COPYONLY)
