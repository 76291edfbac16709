-- A copy of a deal under a new number: header, positions, development-work
-- requests and attached files (linked, not duplicated). The copy starts in
-- the first state, is created now by the current user and holds no shipping
-- sheets. Returns the new deal's id.
select jur.deal_copy( :id )
