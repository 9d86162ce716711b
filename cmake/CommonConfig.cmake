# Language level and warnings travel with one INTERFACE target instead of
# global flags, so every target that links it is built the same way.
add_library(corvane_common INTERFACE)
target_compile_features(corvane_common INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(corvane_common INTERFACE -Wall -Wextra)

if(CORVANE_SANITIZE)
    target_compile_options(corvane_common INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(corvane_common INTERFACE -fsanitize=address,undefined)
endif()

if(CORVANE_FUZZ)
    target_compile_options(corvane_common INTERFACE -fsanitize=fuzzer-no-link,address,undefined
        -fno-sanitize-recover=undefined)
    target_link_options(corvane_common INTERFACE -fsanitize=address,undefined)
endif()

# Qt targets get these on top; core targets never link Qt.
function(corvane_qt_hygiene target)
    target_compile_definitions(${target} PRIVATE
        QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_URL_CAST_FROM_STRING
        QT_USE_QSTRINGBUILDER QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_NO_KEYWORDS)
endfunction()
