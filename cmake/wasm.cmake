# The WebAssembly build with emscripten, configured through emcmake:
#   emcmake cmake -S . -B build-wasm -DTALLOMIR_LTO=OFF -DTALLOMIR_FIXED_ADDRESS=OFF -DTALLOMIR_TESTS=OFF
# (the Makefile's `make wasm`). Each program is a .js loader and a .wasm:
# a console program under Node.js and the script of a browser Web Worker.
# Link-time optimisation is clang's own here (-flto), not the native build's.
set(TALLOMIR_WASM_DIR ${PROJECT_SOURCE_DIR}/src/platform/wasm)
set(TALLOMIR_WASM_LINK
  # The search unwinds through native WebAssembly exceptions.
  -fwasm-exceptions
  # The heap grows with the Hash option up to 2 GB; a table beyond what the
  # host gives is refused, not fatal.
  -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=2147483648 -sABORTING_MALLOC=0
  -sINITIAL_MEMORY=67108864 -sTOTAL_STACK=8388608
  # main's return ends the program (status 0 under Node.js).
  -sEXIT_RUNTIME=1
  -sENVIRONMENT=web,worker,node
  # No file system: the engine only reads its input and prints lines.
  -sFILESYSTEM=0
  --pre-js ${TALLOMIR_WASM_DIR}/pre.js
  --js-library ${TALLOMIR_WASM_DIR}/library.js)

foreach(edition ${TALLOMIR_EDITIONS})
  target_compile_options(tallomir-core-${edition} PRIVATE -flto -fwasm-exceptions)
  foreach(program tallomir-${edition} tallomir-tool-${edition})
    target_compile_options(${program} PRIVATE -flto -fwasm-exceptions)
    target_link_options(${program} PRIVATE -flto ${TALLOMIR_WASM_LINK})
    set_property(TARGET ${program} APPEND PROPERTY LINK_DEPENDS
      ${TALLOMIR_WASM_DIR}/pre.js ${TALLOMIR_WASM_DIR}/library.js)
  endforeach()
endforeach()
