"""The rules of chess for the referee, written apart from the engine so that
the two cannot share a mistake: a plain 64-square board, legal moves by
trying each pseudo-legal move and looking at the king, and the ways a game
ends (mate, stalemate, fifty moves, threefold repetition, dead material).

Squares are numbered a1 = 0 ... h8 = 63; pieces are FEN letters (upper case
White), None an empty square. A move is (from, to, promotion letter or "").
"""

START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"

KNIGHT_STEPS = ((1, 2), (2, 1), (2, -1), (1, -2), (-1, -2), (-2, -1), (-2, 1), (-1, 2))
KING_STEPS = ((1, 0), (1, 1), (0, 1), (-1, 1), (-1, 0), (-1, -1), (0, -1), (1, -1))
ROOK_LINES = ((1, 0), (-1, 0), (0, 1), (0, -1))
BISHOP_LINES = ((1, 1), (1, -1), (-1, 1), (-1, -1))
PROMOTIONS = ("q", "r", "b", "n")

# Castling: the right, the king's way, the rook's move, the squares that
# must be empty and those the king crosses (which must not be attacked).
CASTLINGS = (
    ("K", 4, 6, 7, 5, (5, 6), (4, 5, 6)),
    ("Q", 4, 2, 0, 3, (1, 2, 3), (4, 3, 2)),
    ("k", 60, 62, 63, 61, (61, 62), (60, 61, 62)),
    ("q", 60, 58, 56, 59, (57, 58, 59), (60, 59, 58)),
)
# The right a move from or onto each corner takes away.
CORNER_RIGHTS = {0: "Q", 7: "K", 56: "q", 63: "k"}


def square(file, rank):
    return file + 8 * rank


def square_name(index):
    return "abcdefgh"[index % 8] + str(index // 8 + 1)


def parse_square(text):
    if len(text) != 2 or text[0] not in "abcdefgh" or text[1] not in "12345678":
        raise ValueError(f"bad square {text!r}")
    return square("abcdefgh".index(text[0]), int(text[1]) - 1)


def is_white(piece):
    return piece is not None and piece.isupper()


def belongs(piece, white):
    return piece is not None and piece.isupper() == white


class Position:
    """A board with the side to move, castling rights, en passant target
    and the two move counters, as in a FEN."""

    def __init__(self, board, white_to_move, castling, ep, halfmove, fullmove):
        self.board = board
        self.white_to_move = white_to_move
        self.castling = castling
        self.ep = ep
        self.halfmove = halfmove
        self.fullmove = fullmove

    def copy(self):
        return Position(list(self.board), self.white_to_move, self.castling, self.ep,
                        self.halfmove, self.fullmove)

    def fen(self):
        rows = []
        for rank in range(7, -1, -1):
            row, empty = "", 0
            for file in range(8):
                piece = self.board[square(file, rank)]
                if piece is None:
                    empty += 1
                    continue
                row += (str(empty) if empty else "") + piece
                empty = 0
            rows.append(row + (str(empty) if empty else ""))
        return " ".join(("/".join(rows), "w" if self.white_to_move else "b", self.castling or "-",
                         square_name(self.ep) if self.ep is not None else "-",
                         str(self.halfmove), str(self.fullmove)))


def parse_fen(text):
    """A Position from FEN text (the move counters may be missing);
    ValueError for text that is not a FEN with one king a side."""
    fields = text.split()
    if len(fields) < 4:
        raise ValueError("a FEN needs at least four fields")
    board = [None] * 64
    rows = fields[0].split("/")
    if len(rows) != 8:
        raise ValueError("a FEN board has eight rows")
    for row_index, row in enumerate(rows):
        rank, file = 7 - row_index, 0
        for char in row:
            if char.isdigit():
                file += int(char)
            elif char in "PNBRQKpnbrqk":
                if file > 7:
                    raise ValueError("a row is too long")
                board[square(file, rank)] = char
                file += 1
            else:
                raise ValueError(f"bad piece {char!r}")
        if file != 8:
            raise ValueError("a row must have eight squares")
    if board.count("K") != 1 or board.count("k") != 1:
        raise ValueError("each side needs one king")
    if fields[1] not in ("w", "b"):
        raise ValueError("bad side to move")
    castling = "" if fields[2] == "-" else fields[2]
    if any(right not in "KQkq" for right in castling):
        raise ValueError("bad castling rights")
    ep = None if fields[3] == "-" else parse_square(fields[3])
    halfmove = int(fields[4]) if len(fields) > 4 else 0
    fullmove = int(fields[5]) if len(fields) > 5 else 1
    return Position(board, fields[1] == "w", castling, ep, halfmove, fullmove)


def steps_from(origin, steps):
    """The squares one step away in each direction that are on the board."""
    file, rank = origin % 8, origin // 8
    for df, dr in steps:
        if 0 <= file + df < 8 and 0 <= rank + dr < 8:
            yield square(file + df, rank + dr)


def ray(board, origin, direction):
    """The squares along a line up to and including the first piece."""
    file, rank = origin % 8, origin // 8
    df, dr = direction
    while True:
        file, rank = file + df, rank + dr
        if not (0 <= file < 8 and 0 <= rank < 8):
            return
        target = square(file, rank)
        yield target
        if board[target] is not None:
            return


def attacked(board, target, by_white):
    """True when a piece of the side by_white attacks the square."""
    def piece(letter):
        return letter.upper() if by_white else letter
    for source in steps_from(target, KNIGHT_STEPS):
        if board[source] == piece("n"):
            return True
    for source in steps_from(target, KING_STEPS):
        if board[source] == piece("k"):
            return True
    # A white pawn attacks upwards, so it stands one rank below its target.
    pawn_rank_step = -1 if by_white else 1
    for source in steps_from(target, ((-1, pawn_rank_step), (1, pawn_rank_step))):
        if board[source] == piece("p"):
            return True
    for direction in ROOK_LINES:
        for source in ray(board, target, direction):
            if board[source] in (piece("r"), piece("q")):
                return True
    for direction in BISHOP_LINES:
        for source in ray(board, target, direction):
            if board[source] in (piece("b"), piece("q")):
                return True
    return False


def in_check(position, white=None):
    white = position.white_to_move if white is None else white
    king = position.board.index("K" if white else "k")
    return attacked(position.board, king, not white)


def pawn_moves(position, origin, moves):
    board, white = position.board, position.white_to_move
    forward = 8 if white else -8
    start_rank, last_rank = (1, 7) if white else (6, 0)

    def add(target):
        if target // 8 == last_rank:
            moves.extend((origin, target, letter) for letter in PROMOTIONS)
        else:
            moves.append((origin, target, ""))

    one = origin + forward
    if board[one] is None:
        add(one)
        two = one + forward
        if origin // 8 == start_rank and board[two] is None:
            moves.append((origin, two, ""))
    for target in steps_from(origin, ((-1, 1 if white else -1), (1, 1 if white else -1))):
        if belongs(board[target], not white) or target == position.ep:
            add(target)


def pseudo_legal_moves(position):
    """Every move by the piece rules, ignoring whether it leaves the king
    in check; castling through check is already left out."""
    board, white = position.board, position.white_to_move
    moves = []
    for origin, piece in enumerate(board):
        if not belongs(piece, white):
            continue
        kind = piece.lower()
        if kind == "p":
            pawn_moves(position, origin, moves)
            continue
        if kind in "nk":
            targets = steps_from(origin, KNIGHT_STEPS if kind == "n" else KING_STEPS)
        else:
            lines = {"b": BISHOP_LINES, "r": ROOK_LINES, "q": BISHOP_LINES + ROOK_LINES}[kind]
            targets = [target for direction in lines for target in ray(board, origin, direction)]
        moves.extend((origin, target, "") for target in targets if not belongs(board[target], white))
    for right, king_from, king_to, rook_from, _, empty, crossed in CASTLINGS:
        if right not in position.castling or right.isupper() != white:
            continue
        if board[king_from] != ("K" if white else "k") or board[rook_from] != ("R" if white else "r"):
            continue
        if any(board[target] is not None for target in empty):
            continue
        if any(attacked(board, target, not white) for target in crossed):
            continue
        moves.append((king_from, king_to, ""))
    return moves


def make_move(position, move):
    """The position after a move (which must be pseudo-legal)."""
    origin, target, promotion = move
    after = position.copy()
    board, white = after.board, position.white_to_move
    piece = board[origin]
    captured = board[target]
    kind = piece.lower()
    board[target] = (promotion.upper() if white else promotion) if promotion else piece
    board[origin] = None
    if kind == "p" and target == position.ep:
        board[target - (8 if white else -8)] = None
        captured = "p"
    if kind == "k" and abs(target - origin) == 2:
        for _, king_from, king_to, rook_from, rook_to, _, _ in CASTLINGS:
            if (king_from, king_to) == (origin, target):
                board[rook_to], board[rook_from] = board[rook_from], None
    rights = after.castling
    if kind == "k":
        rights = "".join(r for r in rights if r.isupper() != white)
    for corner in (origin, target):
        rights = rights.replace(CORNER_RIGHTS.get(corner, "-"), "")
    after.castling = rights
    after.ep = (origin + target) // 2 if kind == "p" and abs(target - origin) == 16 else None
    after.halfmove = 0 if kind == "p" or captured is not None else position.halfmove + 1
    after.fullmove = position.fullmove + (0 if white else 1)
    after.white_to_move = not white
    return after


def legal_moves(position):
    return [move for move in pseudo_legal_moves(position)
            if not in_check(make_move(position, move), position.white_to_move)]


def move_text(move):
    origin, target, promotion = move
    return square_name(origin) + square_name(target) + promotion


def find_move(position, text):
    """The legal move that coordinate text such as e2e4 or e7e8q names,
    or None."""
    for move in legal_moves(position):
        if move_text(move) == text:
            return move
    return None


def repetition_key(position):
    """What makes two positions the same for repetition: the pieces, the
    side to move, the castling rights and an en passant capture that can
    really be made."""
    ep = position.ep
    if ep is not None and not any(move[1] == ep and position.board[move[0]].lower() == "p"
                                  for move in legal_moves(position)):
        ep = None
    return (tuple(position.board), position.white_to_move, "".join(sorted(position.castling)), ep)


def insufficient_material(position):
    """No sequence of legal moves can mate: bare kings, a single minor
    piece, or bishops only, all on squares of one colour."""
    others = [(index, piece.lower()) for index, piece in enumerate(position.board)
              if piece is not None and piece.lower() != "k"]
    if not others:
        return True
    if len(others) == 1 and others[0][1] in "nb":
        return True
    if all(kind == "b" for _, kind in others):
        colours = {(index % 8 + index // 8) % 2 for index, _ in others}
        return len(colours) == 1
    return False


def perft(position, depth):
    if depth == 0:
        return 1
    moves = legal_moves(position)
    if depth == 1:
        return len(moves)
    return sum(perft(make_move(position, move), depth - 1) for move in moves)
