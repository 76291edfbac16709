-- Positional: the file the owner links now, the stored file with the same
-- content, owner table, owner key.
select lrg.v_file_owner_relink( :id_old , :id_new , :c_table , :n_key )
