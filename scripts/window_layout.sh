# The window's layout for the shell scripts that drive paxlet.exe
# (tests/window/end_to_end.sh, scripts/screenshot.sh), which source it.
# session_window_layout_test checks every number here against the C++
# constants in src/ui/window_layout.h and src/session/board_geometry.h, so
# the two cannot drift apart. Positions are client pixels.

# The window as created, frame included, and its client area under Wine,
# whose frame has 4-pixel borders and a 19-pixel caption (window_tests checks
# the same through GetClientRect).
WINDOW_WIDTH=750
WINDOW_HEIGHT=560
CLIENT_WIDTH=742
CLIENT_HEIGHT=533

# The control column: every control stands at CONTROL_LEFT, CONTROL_WIDTH
# wide; the buttons and fields are CONTROL_HEIGHT high. Tops, top to bottom:
CONTROL_LEFT=5
CONTROL_WIDTH=100
CONTROL_HEIGHT=20
MOVE_LOG_TOP=5
MOVE_LOG_HEIGHT=250
DEPTH_FIELD_TOP=260
TIME_FIELD_TOP=280
SIZE_FIELD_TOP=300
MOVE_FIELD_TOP=320
NEW_GAME_TOP=340
EXECUTE_MOVE_TOP=360
AI_DO_MOVE_TOP=380
UNDO_TOP=400
DEBUG_TOP=420
STATISTICS_TOP=440
STATISTICS_HEIGHT=90

# The board: the grid's top left dot, and the room left free right of and
# below the grid. Cells are (CLIENT_WIDTH - GRID_LEFT - GRID_RIGHT_MARGIN) /
# (dots per side - 1) wide, likewise high.
GRID_LEFT=150
GRID_TOP=30
GRID_RIGHT_MARGIN=30
GRID_BOTTOM_MARGIN=30

# The board's colours, as ImageMagick prints them.
P1_COLOUR=F0C800
P2_COLOUR=5F96DC
LAST_MOVE_COLOUR=C8E61E
GRID_COLOUR=B4B4B4
LABEL_COLOUR=00B400
LABEL_BACK_COLOUR=F0F0F0

# Wine's colours, which none of ours sets: the class brush (COLOR_3DLIGHT),
# the inside of the list box and the edit fields, and the buttons and the
# statistics label.
BACKGROUND_COLOUR=E3E3E3
WHITE_COLOUR=FFFFFF
FACE_COLOUR=F5F5F5
