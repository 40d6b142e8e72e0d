# A child process for the store's fault tests: it saves a store in a loop (to
# be killed at random moments) or under a file-size limit (a full disk). Its
# source sits in helper/ so that the test_storage glob does not take it in.
add_executable(store_saver ${CMAKE_CURRENT_LIST_DIR}/helper/StoreSaver.cpp)
target_link_libraries(store_saver PRIVATE brivane_storage)
add_dependencies(test_storage store_saver)
target_compile_definitions(test_storage PRIVATE STORE_SAVER_PATH="$<TARGET_FILE:store_saver>")
# Started hundreds of times: leave out the libraries it does not use.
target_link_options(store_saver PRIVATE -Wl,--as-needed)
