# Verification with test weights: the classes, MPE, plans and verdicts on
# their own; readings, certificate and CSV against the simulated instrument
# over a pseudo-terminal; the page in the main window.
qv_add_test(test_verification SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_verification.cpp LIBS qv_verification)
qv_add_test(test_verification_pty SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_verification_pty.cpp
            LIBS qv_verification_widgets qv_sim TIMEOUT 180 SHARDS 2)
