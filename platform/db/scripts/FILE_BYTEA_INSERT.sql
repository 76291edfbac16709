-- Positional: file name, bytes, help flag. True when the name now holds these
-- bytes, false when it already holds others (which are kept).
select lrg.b_file_bytea_insert( :c_file , :bl_file , :b_help )
