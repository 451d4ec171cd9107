# Profile-guided optimisation of the two programs. A g++ release build first builds the
# programs once more with instrumentation, in a tree of its own (training/ inside the build
# tree), runs them on generated input (cmake/train_profile.cmake), and then compiles the
# programs' objects with the profile those runs wrote: which branches go which way, which
# loops run long, which code is cold. The compiler then lays out and inlines the hot paths
# of the scanner, the parse loop and the output for the input they meet, which no reading of
# the source can tell it. The programs are also optimised whole at the link (link-time
# optimisation), so that the profile can take the scanner's matching into the parse loop
# that calls it for every token, across the two files. Together they took about 10% off
# postwright's processor time, the profile alone about 7%, the link-time step alone nothing.
# Output is the same either way; the tests run on the optimised objects.
#
#   PROFILE_GUIDED        ON by default in g++ release builds without sanitizers or fuzzing
#   PROFILE_TRAINING_DIR  set only in the instrumented tree: where its runs write the profile
#
# The profile's files are named by each object's path relative to its build tree
# (-fprofile-prefix-path), which is the same in both trees. Any change to a program's source
# rebuilds the instrumented programs, which runs the training again, which recompiles the
# objects: a profile never meets a source it was not made from.

set(profile_guided_default OFF)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_BUILD_TYPE STREQUAL "Release" AND NOT ENABLE_SANITIZERS AND NOT ENABLE_FUZZING
   AND NOT PROFILE_TRAINING_DIR)
  set(profile_guided_default ON)
endif()
option(PROFILE_GUIDED "Optimise the programs with the profile of a training run (g++)" ${profile_guided_default})

set(profile_mode none)
if(PROFILE_TRAINING_DIR)
  set(profile_mode generate)
  add_link_options(-fprofile-generate)  # the instrumented objects need the profiling runtime
elseif(PROFILE_GUIDED)
  set(profile_mode use)
  include(ExternalProject)
  set(training_tree ${CMAKE_BINARY_DIR}/training)
  set(profile_dir ${CMAKE_BINARY_DIR}/profile)
  set(training_programs
    ${training_tree}/postwright/postwright ${training_tree}/inwright/inwright ${training_tree}/bench/make_input)
  set(training_targets postwright inwright make_input)  # the programs above, as targets of that tree
  if(CMAKE_GENERATOR MATCHES "Makefiles")
    set(training_build $(MAKE) ${training_targets})  # a sub-make shares the jobs
  else()
    set(training_build ${CMAKE_COMMAND} --build ${training_tree} --target ${training_targets})
  endif()
  ExternalProject_Add(instrumented_programs
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${training_tree}
    CMAKE_ARGS
      -DCMAKE_BUILD_TYPE=Release
      -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
      -DCMAKE_CXX_FLAGS=${CMAKE_CXX_FLAGS}  # the same code, or its profile would not fit
      -DBUILD_TESTING=OFF
      -DPROFILE_GUIDED=OFF
      -DPROFILE_TRAINING_DIR=${profile_dir}
      -DTABLE_GENERATORS_DIR=${CMAKE_BINARY_DIR}  # the generators are this tree's, not built again
    BUILD_COMMAND ${training_build}
    BUILD_ALWAYS ON  # its own build decides what is out of date
    BUILD_BYPRODUCTS ${training_programs}
    INSTALL_COMMAND ""
    EXCLUDE_FROM_ALL ON)
  add_dependencies(instrumented_programs scangen lalrgen)  # defined later, in tools/
  add_custom_command(OUTPUT ${profile_dir}/trained
    COMMAND ${CMAKE_COMMAND} -DPROFILE_DIR=${profile_dir} -DTRAINING_TREE=${training_tree}
            -P ${CMAKE_SOURCE_DIR}/cmake/train_profile.cmake
    DEPENDS instrumented_programs ${training_programs} ${CMAKE_SOURCE_DIR}/cmake/train_profile.cmake
    COMMENT "Running the instrumented programs for their profile"
    VERBATIM)
  add_custom_target(profile_training DEPENDS ${profile_dir}/trained)
endif()

# optimise_with_profile(TARGET...): compiles the targets' objects with instrumentation in the
# training tree, and with the training's profile in a profile-guided build; in both, for
# optimisation at the link. Call it where the targets are defined.
function(optimise_with_profile)
  foreach(target IN LISTS ARGN)
    if(NOT profile_mode STREQUAL "none")
      set_property(TARGET ${target} PROPERTY INTERPROCEDURAL_OPTIMIZATION ON)
      # Machine code beside the link-time form, for what links them without that step: the
      # round-trip fuzz target renames a copy of inwright's symbols, which works on code only.
      target_compile_options(${target} PRIVATE -ffat-lto-objects)
    endif()
    if(profile_mode STREQUAL "generate")
      target_compile_options(${target} PRIVATE
        -fprofile-generate=${PROFILE_TRAINING_DIR} -fprofile-prefix-path=${CMAKE_BINARY_DIR})
    elseif(profile_mode STREQUAL "use")
      # An object that the programs do not link has no profile: a warning, not a failed build.
      target_compile_options(${target} PRIVATE -fprofile-use=${profile_dir} -fprofile-prefix-path=${CMAKE_BINARY_DIR}
                                               -Wno-error=missing-profile)
      add_dependencies(${target} profile_training)
      get_target_property(sources ${target} SOURCES)
      set_source_files_properties(${sources} PROPERTIES OBJECT_DEPENDS ${profile_dir}/trained)
    endif()
  endforeach()
endfunction()
