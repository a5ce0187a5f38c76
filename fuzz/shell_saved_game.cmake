# Saved games: the checks, the header's application and the restore (the
# game record's own saves as seeds, written by the target itself).
halberd_fuzzer(shell_saved_game SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/shell_saved_game.cpp
               LIBS halberd_shell SELF_SEEDS)
