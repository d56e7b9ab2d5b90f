# Window benchmarks (included by bench/CMakeLists.txt when VORENDAL_APP is on). Run by hand:
#   build/bench/vorendal_bench_pane_append [lines]
add_executable(vorendal_bench_pane_append bench_pane_append.cpp)
target_link_libraries(vorendal_bench_pane_append PRIVATE vorendal_app)

#   build/bench/vorendal_bench_export_pane [records]
add_executable(vorendal_bench_export_pane bench_export_pane.cpp)
target_link_libraries(vorendal_bench_export_pane PRIVATE vorendal_app vorendal_fixtures)
