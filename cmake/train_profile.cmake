# The training run of a profile-guided build (cmake/profile_guided.cmake), in script mode:
#   cmake -DPROFILE_DIR=DIR -DTRAINING_TREE=TREE -P train_profile.cmake
# Runs the instrumented programs of TREE on generated input, which writes their profile into
# DIR, then marks it done. The input is the benchmarks' (fixed seed), so the profile, and the
# programs built with it, are the same on every run. The profile of earlier runs is removed
# first: the counts of each run add up, and a rebuilt program must not meet its old ones.

file(GLOB old_profile "${PROFILE_DIR}/*.gcda")
if(old_profile)
  file(REMOVE ${old_profile})
endif()
file(REMOVE "${PROFILE_DIR}/trained")
file(MAKE_DIRECTORY "${PROFILE_DIR}")

set(work "${PROFILE_DIR}/work")
file(MAKE_DIRECTORY "${work}")
# Infix statements for postwright; its output, the postfix that postwright writes, for
# inwright: the round trip that the programs are mostly used for.
execute_process(COMMAND "${TRAINING_TREE}/bench/make_input" infix 8
                OUTPUT_FILE "${work}/training.infix" COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${TRAINING_TREE}/postwright/postwright" -q "${work}/training.infix" "${work}/training.postfix"
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${TRAINING_TREE}/inwright/inwright" -q "${work}/training.postfix" "${work}/round_trip.infix"
                COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE "${work}")
file(TOUCH "${PROFILE_DIR}/trained")
