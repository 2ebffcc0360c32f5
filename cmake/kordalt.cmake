# kordalt_layer_include(OUT): the include directory of the current folder's layer
# (its top folder under the source tree). It holds one link, <layer> to the layer's
# source folder, so the layer's headers are "layer/x.h" and no other folder is
# seen through it. A library gets it with the includes of the libraries it links,
# so a header of a layer it does not link is not found.
function(kordalt_layer_include out)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  string(REGEX REPLACE "/.*" "" layer "${folder}")
  set(root ${CMAKE_BINARY_DIR}/include/${layer})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${layer} ${root}/${layer} SYMBOLIC)
  set(${out} ${root} PARENT_SCOPE)
endfunction()

# kordalt_library(NAME [QT] DEPS ...): a static library of the *.cpp files of the
# current folder (subfolders have their own lists). An empty folder gives an
# interface library, so dependants link to it before it has code.
function(kordalt_library name)
  cmake_parse_arguments(ARG "QT" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  kordalt_layer_include(include)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${include})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} Threads::Threads)
    if(ARG_QT)
      target_link_libraries(${name} PUBLIC Qt6::Widgets Qt6::Charts)
      set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
    endif()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${include})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS} Threads::Threads)
    if(ARG_QT)
      target_link_libraries(${name} INTERFACE Qt6::Widgets Qt6::Charts)
    endif()
  endif()
endfunction()

# kordalt_tests(LABEL [QT] DEPS ...): one test program of the *.cpp files of the
# current folder, every GoogleTest case a CTest test carrying LABEL. It sees the
# test helpers ("support/x.h", "game/fake_game_ui.h") and the headers of DEPS.
function(kordalt_tests label)
  cmake_parse_arguments(ARG "QT" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(target ${label}_tests)
  add_executable(${target} ${sources})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${target} PRIVATE
    KORDALT_BIN_DIR="${KORDALT_BIN_DIR}"
    KORDALT_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    KORDALT_TEST_TMP="${CMAKE_BINARY_DIR}/test-tmp")
  if(ARG_QT)
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/qt_test_main.cpp)
    target_link_libraries(${target} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock Qt6::Test Qt6::Widgets)
    set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON)
    set(env "QT_QPA_PLATFORM=offscreen")
  else()
    target_link_libraries(${target} PRIVATE ${ARG_DEPS} GTest::gtest_main GTest::gmock)
    set(env "")
  endif()
  # Tests named *Gallery* only draw windows and controls into pictures for a
  # person to look at; they carry the label gallery instead.
  gtest_discover_tests(${target}
    TEST_FILTER "-*Gallery*"
    PROPERTIES LABELS ${label} ENVIRONMENT "${env}"
    DISCOVERY_TIMEOUT 120
    DISCOVERY_MODE PRE_TEST)
  gtest_discover_tests(${target}
    TEST_FILTER "*Gallery*"
    PROPERTIES LABELS gallery ENVIRONMENT "${env}"
    DISCOVERY_TIMEOUT 120
    DISCOVERY_MODE PRE_TEST)
endfunction()
