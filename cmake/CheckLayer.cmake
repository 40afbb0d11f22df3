# Run as `cmake -DLAYER_DIR=... -DQT=Core;Gui -P CheckLayer.cmake` before a
# layer compiles. Two includes the include paths alone would let through:
#   - a quoted include that climbs out of its folder ("../strip/LineFit.h")
#     or names an absolute path, which reaches any layer's headers;
#   - <QtModule/Header> for a Qt module the layer does not link: every Qt
#     target puts the common include/qt6 folder on the path, so a QtCore-only
#     layer could still reach <QtWidgets/QWidget>.
# Every file of the folder is read, the other platforms' backends too.
cmake_minimum_required(VERSION 3.21)

file(GLOB files ${LAYER_DIR}/*.cpp ${LAYER_DIR}/*.h)
get_filename_component(layer ${LAYER_DIR} NAME)
set(problems "")
string(REPLACE ";" " " qt_shown "${QT}")
foreach(file IN LISTS files)
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include")
    get_filename_component(shown ${file} NAME)
    foreach(line IN LISTS includes)
        if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]*)\"")
            set(header ${CMAKE_MATCH_1})
            if(header MATCHES "(^|/)\\.\\.(/|$)" OR IS_ABSOLUTE "${header}")
                string(APPEND problems
                       "  ${layer}/${shown}: \"${header}\" climbs out of its folder"
                       " (include a layer's header as \"layer/Name.h\")\n")
            endif()
        elseif(line MATCHES "#[ \t]*include[ \t]*<Qt([A-Za-z]+)/")
            set(module ${CMAKE_MATCH_1})
            if(NOT module IN_LIST QT)
                string(APPEND problems
                       "  ${layer}/${shown}: <Qt${module}/...> is outside this layer,"
                       " which links only Qt ${qt_shown}\n")
            endif()
        endif()
    endforeach()
endforeach()
if(problems)
    message(FATAL_ERROR "Includes that break the layers:\n${problems}")
endif()
